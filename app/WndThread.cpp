// CWndThread on std::thread. Registration happens under the handle lock that the new thread's
// own unregistering needs, which stands in for creating the thread suspended: the thread can
// neither miss its routine nor unregister before it has been recorded.
#include "app/WndThread.h"

#include <map>
#include <mutex>
#include <system_error>
#include <thread>

struct CWndThread::Registry
{
    struct Handle
    {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> stop;
    };

    ~Registry()
    {
        for (auto& [id, handle] : handleMap) {
            if (handle.thread.joinable())
                handle.thread.detach();
        }
    }

    void Unregister(std::uint32_t id, ThreadStop stop)
    {
        std::lock_guard handleGuard(handleLock);
        if (auto it = handleMap.find(id); it != handleMap.end()) {
            if (stop == ThreadStop::Request)
                it->second.stop->store(true);
            if (it->second.thread.joinable())
                it->second.thread.detach();
            handleMap.erase(it);
        }
        std::lock_guard routineGuard(routineLock);
        routineMap.erase(id);
        std::lock_guard argumentGuard(argumentLock);
        argumentMap.erase(id);
    }

    // Locks are always nested in this order: handleLock, routineLock, argumentLock.
    mutable std::mutex handleLock;
    std::map<std::uint32_t, Handle> handleMap;
    mutable std::mutex routineLock;
    std::map<std::uint32_t, ThreadRoutine> routineMap;
    mutable std::mutex argumentLock;
    std::map<std::uint32_t, void*> argumentMap;
    std::atomic<std::uint32_t> nextId{0};
};

namespace {
thread_local const std::atomic<bool>* t_stopFlag = nullptr;
}

CWndThread::CWndThread() : m_registry(std::make_shared<Registry>()) {}

CWndThread::~CWndThread() = default;

std::uint32_t CWndThread::Start(ThreadRoutine routine, void* argument)
{
    Registry& r = *m_registry;
    std::uint32_t id = ++r.nextId;
    if (id == 0)
        id = ++r.nextId;
    auto stop = std::make_shared<std::atomic<bool>>(false);

    std::lock_guard handleGuard(r.handleLock);
    {
        std::lock_guard routineGuard(r.routineLock);
        std::lock_guard argumentGuard(r.argumentLock);
        r.routineMap[id] = routine;
        r.argumentMap[id] = argument;
    }
    try {
        r.handleMap[id] = Registry::Handle{std::thread(&CWndThread::ThreadEntry, m_registry, id, stop), stop};
    } catch (const std::system_error&) {
        r.handleMap.erase(id);
        std::lock_guard routineGuard(r.routineLock);
        r.routineMap.erase(id);
        std::lock_guard argumentGuard(r.argumentLock);
        r.argumentMap.erase(id);
        return 0;
    }
    return id;
}

void CWndThread::ThreadEntry(std::shared_ptr<Registry> registry, std::uint32_t id,
                             std::shared_ptr<std::atomic<bool>> stop)
{
    t_stopFlag = stop.get();
    ThreadRoutine routine = nullptr;
    void* argument = nullptr;
    {
        std::lock_guard guard(registry->routineLock);
        if (auto it = registry->routineMap.find(id); it != registry->routineMap.end())
            routine = it->second;
    }
    {
        std::lock_guard guard(registry->argumentLock);
        if (auto it = registry->argumentMap.find(id); it != registry->argumentMap.end())
            argument = it->second;
    }
    if (routine != nullptr && !stop->load()) {
        try {
            routine(argument);
        } catch (...) {
            // An exception must not end the process from a worker thread; the thread just ends.
        }
    }
    registry->Unregister(id, ThreadStop::LetRun);
    t_stopFlag = nullptr;
}

void CWndThread::StopAll()
{
    Registry& r = *m_registry;
    std::lock_guard guard(r.handleLock);
    for (auto& [id, handle] : r.handleMap) {
        handle.stop->store(true);
        try {
            if (handle.thread.joinable())
                handle.thread.detach();
        } catch (const std::system_error&) {
            // One thread that cannot be let go does not keep the others registered.
        }
    }
    r.handleMap.clear();
}

void CWndThread::Unregister(std::uint32_t id, ThreadStop stop)
{
    m_registry->Unregister(id, stop);
}

ThreadRoutine CWndThread::LookupRoutine(std::uint32_t id) const
{
    std::lock_guard guard(m_registry->routineLock);
    auto it = m_registry->routineMap.find(id);
    return it == m_registry->routineMap.end() ? nullptr : it->second;
}

void* CWndThread::LookupArgument(std::uint32_t id) const
{
    std::lock_guard guard(m_registry->argumentLock);
    auto it = m_registry->argumentMap.find(id);
    return it == m_registry->argumentMap.end() ? nullptr : it->second;
}

bool CWndThread::StopRequested()
{
    return t_stopFlag != nullptr && t_stopFlag->load();
}

const std::atomic<bool>* CWndThread::CurrentStopFlag()
{
    return t_stopFlag;
}
