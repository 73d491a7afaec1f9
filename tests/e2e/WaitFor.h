// Polling for a condition with a deadline, for the end-to-end tests of both systems.
#pragma once

#include <chrono>
#include <thread>

namespace e2e {

// Waits up to the timeout for a condition to hold.
template <typename Condition> bool WaitFor(Condition&& condition, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace e2e
