// The steady and the manually stepped clock.
#include "platform/Clock.h"

#include <chrono>

namespace platform {

std::uint64_t SteadyClock::NowMs() const
{
    using namespace std::chrono;
    return std::uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void ManualClock::Advance(std::uint64_t ms)
{
    m_now.fetch_add(ms);
    Notify();
}

void ManualClock::Set(std::uint64_t ms)
{
    m_now.store(ms);
    Notify();
}

void ManualClock::SetChangeListener(std::function<void()> listener)
{
    std::lock_guard lock(m_listenerLock);
    m_listener = std::move(listener);
}

void ManualClock::Notify()
{
    std::function<void()> listener;
    {
        std::lock_guard lock(m_listenerLock);
        listener = m_listener;
    }
    if (listener)
        listener();
}

} // namespace platform
