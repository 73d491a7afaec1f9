// The single-instance marker on Windows: a named semaphore every user may open, and the first
// instance's window found by class and title.
#include "platform/InstanceMarker.h"

#include "platform/Win32Defs.h"

#include <string>

namespace platform {

struct InstanceMarker::State
{
    HANDLE semaphore = nullptr;
    ~State()
    {
        if (semaphore != nullptr)
            ::CloseHandle(semaphore);
    }
};

InstanceMarker::InstanceMarker() = default;
InstanceMarker::~InstanceMarker() = default;

MarkerState InstanceMarker::Create(std::string_view name)
{
    if (name.empty() || name.size() >= MAX_PATH || name.find('\0') != std::string_view::npos)
        return MarkerState::Failed;
    // A present but empty (null) access list: every user may open the object.
    SECURITY_DESCRIPTOR descriptor;
    if (!::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !::SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE))
        return MarkerState::Failed;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, TRUE};
    const std::string terminated(name);
    const HANDLE semaphore = ::CreateSemaphoreA(&attributes, 1, 1, terminated.c_str());
    const DWORD error = ::GetLastError();
    if (semaphore == nullptr)
        return error == ERROR_ACCESS_DENIED ? MarkerState::AlreadyExists : MarkerState::Failed;
    if (error == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(semaphore);
        return MarkerState::AlreadyExists;
    }
    m_state = std::make_shared<State>();
    m_state->semaphore = semaphore;
    return MarkerState::Created;
}

bool InstanceMarker::IsHeld() const
{
    return m_state != nullptr;
}

bool RaiseInstanceWindow(std::string_view, std::u16string_view className, std::u16string_view title, int)
{
    const std::wstring wideClass(className.begin(), className.end());
    const std::wstring wideTitle(title.begin(), title.end());
    const HWND window = ::FindWindowW(wideClass.c_str(), wideTitle.c_str());
    if (window == nullptr)
        return false;
    ::ShowWindow(window, SW_RESTORE);
    ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return true;
}

} // namespace platform
