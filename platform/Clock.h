// The millisecond clock behind GetTickCount, timers, hover tracking and double clicks. Tests replace
// it with a ManualClock so that time only moves when they step it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

namespace platform {

class IClock
{
public:
    virtual ~IClock() = default;
    // Milliseconds since an arbitrary start; never goes backwards.
    virtual std::uint64_t NowMs() const = 0;
    // Called by the window system so that a clock which moves by other means can wake a waiting loop.
    virtual void SetChangeListener(std::function<void()> listener) { (void)listener; }
};

// Monotonic wall time.
class SteadyClock : public IClock
{
public:
    std::uint64_t NowMs() const override;
};

// Time that moves only when Advance or Set is called; safe to step from any thread.
class ManualClock : public IClock
{
public:
    explicit ManualClock(std::uint64_t startMs = 0) : m_now(startMs) {}
    std::uint64_t NowMs() const override { return m_now.load(); }
    void Advance(std::uint64_t ms);
    void Set(std::uint64_t ms);
    void SetChangeListener(std::function<void()> listener) override;

private:
    void Notify();

    std::atomic<std::uint64_t> m_now;
    std::mutex m_listenerLock;
    std::function<void()> m_listener;
};

} // namespace platform
