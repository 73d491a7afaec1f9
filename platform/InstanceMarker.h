// The single-instance marker: a name that one process at a time holds while it runs, and through
// which a later process asks the holder to restore and raise its window. On Linux the name is an
// abstract Unix socket: it exists exactly as long as its holder, and a crashed holder leaves
// nothing behind.
#pragma once

#include <memory>
#include <string_view>

namespace platform {

// How long a later process waits for the holder's answer before it goes on as the first one.
inline constexpr int kRaiseAnswerTimeoutMs = 500;

enum class MarkerState
{
    Created,       // this process holds the name now
    AlreadyExists, // another process holds it
    Failed,        // the name is unusable (too long) or no socket could be made
};

class InstanceMarker
{
public:
    InstanceMarker();
    // Gives the name up; the process ending gives it up as well.
    ~InstanceMarker();
    InstanceMarker(const InstanceMarker&) = delete;
    InstanceMarker& operator=(const InstanceMarker&) = delete;

    // Claims the name for this process. Call it on the UI thread: while the marker is held, raise
    // requests from later processes of the same user are carried out there, by the window
    // system's message loop; others are refused. The listener never outlives the marker and never
    // touches a window system that has been shut down (it answers "no window" then), whichever
    // of the two goes first.
    MarkerState Create(std::string_view name);
    bool IsHeld() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};

// Asks the holder of the name to restore its top-level window of the given class and title and
// to bring it to the top. True when the holder had such a window; false when nobody holds the
// name, the holder runs as another user (checked from the socket's peer credentials), the holder
// has no such window or no window system any more, or it gave no answer within timeoutMs.
bool RaiseInstanceWindow(std::string_view name, std::u16string_view className, std::u16string_view title,
                         int timeoutMs = kRaiseAnswerTimeoutMs);

} // namespace platform
