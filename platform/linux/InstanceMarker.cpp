// The single-instance marker on Linux: an abstract Unix socket named after the marker, a listener
// thread that accepts raise requests, and a one-shot thread timer that carries each request over
// to the UI thread, which alone may touch windows.
#include "platform/InstanceMarker.h"

#include "platform/TextEncoding.h"
#include "platform/WindowSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace platform {

namespace {

constexpr std::size_t kMaxRequest = 4096;
constexpr char kRaiseVerb[] = "raise";

bool AbstractAddress(std::string_view name, sockaddr_un& address, socklen_t& length)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    // The leading zero byte puts the name in the abstract namespace.
    if (name.empty() || name.size() + 1 > sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    return true;
}

void SetReceiveTimeout(int fd, int timeoutMs)
{
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

bool WriteAll(int fd, const std::string& data)
{
    for (std::size_t done = 0; done < data.size();) {
        const ssize_t n = send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

// A request is three lines: the verb, the window class and the window title, in UTF-8.
bool ReadRequest(int fd, std::string& className, std::string& title)
{
    std::string text;
    char buffer[512];
    while (std::count(text.begin(), text.end(), '\n') < 3) {
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || text.size() + std::size_t(n) > kMaxRequest)
            return false;
        text.append(buffer, std::size_t(n));
    }
    const std::size_t a = text.find('\n'), b = text.find('\n', a + 1), c = text.find('\n', b + 1);
    if (text.compare(0, a, kRaiseVerb) != 0 || a != sizeof kRaiseVerb - 1)
        return false;
    className = text.substr(a + 1, b - a - 1);
    title = text.substr(b + 1, c - b - 1);
    return true;
}

// Requests waiting for the UI thread. One queue serves the process: a process holds at most one
// marker at a time in practice, and the timer procedure has no other way to find its requests.
struct PendingRequest
{
    int fd = -1;
    std::u16string className;
    std::u16string title;
};
std::mutex s_pendingLock;
std::deque<PendingRequest> s_pending;

// Answers every waiting request with "no window": there is no window system left to serve them.
void AnswerPendingWithNoWindow()
{
    std::deque<PendingRequest> requests;
    {
        std::lock_guard guard(s_pendingLock);
        requests.swap(s_pending);
    }
    for (const PendingRequest& request : requests) {
        WriteAll(request.fd, "0");
        close(request.fd);
    }
}

// Whether the process at the other end of a connected socket runs as this process's user. Only
// such a peer counts: anyone can bind or reach an abstract name.
bool PeerIsSameUser(int fd)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && size == sizeof peer && peer.uid == geteuid();
}

void ServeOnUiThread(HWND, UINT, UINT_PTR timerId, DWORD)
{
    WindowSystem& windows = Windows();
    windows.KillTimer(nullptr, timerId);
    std::deque<PendingRequest> requests;
    {
        std::lock_guard guard(s_pendingLock);
        requests.swap(s_pending);
    }
    for (const PendingRequest& request : requests) {
        const HWND hwnd = windows.FindWindow(request.className.c_str(), request.title.c_str());
        if (hwnd) {
            windows.ShowWindow(hwnd, SW_RESTORE);
            windows.SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            windows.SetWindowPos(hwnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        }
        WriteAll(request.fd, hwnd ? "1" : "0");
        close(request.fd);
    }
}

} // namespace

struct InstanceMarker::State
{
    int listenFd = -1;
    std::thread listener;

    void Listen()
    {
        for (;;) {
            const int fd = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) {
                if (errno == EINTR || errno == ECONNABORTED)
                    continue;
                return; // the marker is being given up
            }
            if (!PeerIsSameUser(fd)) {
                close(fd);
                continue;
            }
            SetReceiveTimeout(fd, 1000);
            std::string className, title;
            if (!ReadRequest(fd, className, title)) {
                close(fd);
                continue;
            }
            {
                std::lock_guard guard(s_pendingLock);
                s_pending.push_back(PendingRequest{fd, Utf8ToUtf16(className), Utf8ToUtf16(title)});
            }
            // Never Windows(): that would make a window system on this thread once the UI
            // thread's is gone. Without one the answer is "no window".
            if (!WindowSystem::WithCurrent(
                    [](WindowSystem& windows) { windows.SetTimer(nullptr, 0, 0, &ServeOnUiThread); }))
                AnswerPendingWithNoWindow();
        }
    }
};

InstanceMarker::InstanceMarker() = default;

InstanceMarker::~InstanceMarker()
{
    if (!m_state)
        return;
    // shutdown wakes the listener's accept; then the name is released by closing.
    shutdown(m_state->listenFd, SHUT_RDWR);
    if (m_state->listener.joinable())
        m_state->listener.join();
    close(m_state->listenFd);
    // Requests the UI thread has not served yet will not be served by anyone now.
    AnswerPendingWithNoWindow();
}

MarkerState InstanceMarker::Create(std::string_view name)
{
    if (m_state)
        return MarkerState::Created;
    sockaddr_un address;
    socklen_t length = 0;
    if (!AbstractAddress(name, address, length))
        return MarkerState::Failed;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return MarkerState::Failed;
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        const int error = errno;
        close(fd);
        return error == EADDRINUSE ? MarkerState::AlreadyExists : MarkerState::Failed;
    }
    if (listen(fd, 8) != 0) {
        close(fd);
        return MarkerState::Failed;
    }
    // The window system belongs to the thread that creates it: make sure that is this one, before
    // the listener may reach for it.
    Windows();
    auto state = std::make_shared<State>();
    state->listenFd = fd;
    state->listener = std::thread([raw = state.get()] { raw->Listen(); });
    m_state = std::move(state);
    return MarkerState::Created;
}

bool InstanceMarker::IsHeld() const
{
    return m_state != nullptr;
}

bool RaiseInstanceWindow(std::string_view name, std::u16string_view className, std::u16string_view title, int timeoutMs)
{
    sockaddr_un address;
    socklen_t length = 0;
    if (!AbstractAddress(name, address, length))
        return false;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    bool raised = false;
    // A holder running as another user is no instance of ours (it may be anyone's program that
    // took the name): it counts as no window, and the run goes on.
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0 && PeerIsSameUser(fd)) {
        SetReceiveTimeout(fd, timeoutMs);
        std::string request = kRaiseVerb;
        request += '\n';
        request += Utf16ToUtf8(className);
        request += '\n';
        request += Utf16ToUtf8(title);
        request += '\n';
        char answer = 0;
        ssize_t n = -1;
        if (WriteAll(fd, request)) {
            while ((n = recv(fd, &answer, 1, 0)) < 0 && errno == EINTR) {
            }
        }
        raised = n == 1 && answer == '1';
    }
    close(fd);
    return raised;
}

} // namespace platform
