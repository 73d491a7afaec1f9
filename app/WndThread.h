// CWndThread: a small registry of worker threads keyed by thread id, owned by the main window.
// Threads cannot be killed safely on Linux, so stopping one is a request its routine checks
// (StopRequested); a stopped thread is let go and may outlive this object and its owner.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

using ThreadRoutine = void (*)(void* argument);

// What Unregister does to a thread that is still running.
enum class ThreadStop
{
    LetRun,
    Request,
};

class CWndThread
{
public:
    CWndThread();
    // Stops nothing: the owner calls StopAll first.
    virtual ~CWndThread();
    CWndThread(const CWndThread&) = delete;
    CWndThread& operator=(const CWndThread&) = delete;

    // Starts routine(argument) on a new thread, registered before it runs. Returns its id, or 0
    // when no thread could be created.
    std::uint32_t Start(ThreadRoutine routine, void* argument);

    // Asks every registered thread to stop and lets it go; none of them is waited for.
    void StopAll();

    // Forgets a thread, first asking it to stop when `stop` says so.
    void Unregister(std::uint32_t id, ThreadStop stop);

    // The routine and argument of a registered thread; null for an id that is not registered.
    ThreadRoutine LookupRoutine(std::uint32_t id) const;
    void* LookupArgument(std::uint32_t id) const;

    // Inside a routine started by a CWndThread: whether its owner asked it to stop. Always false
    // on other threads.
    static bool StopRequested();
    // The calling thread's stop request flag, or null outside a routine started here.
    static const std::atomic<bool>* CurrentStopFlag();

private:
    struct Registry;
    static void ThreadEntry(std::shared_ptr<Registry> registry, std::uint32_t id,
                            std::shared_ptr<std::atomic<bool>> stop);

    // Shared with the threads, so that a thread can unregister itself after its owner is gone.
    std::shared_ptr<Registry> m_registry;
};
