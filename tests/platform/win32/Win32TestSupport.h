// Test support under Wine: a fresh folder of the test's own on drive Z: (so that Unix symbolic
// links can be made in it with the host's ln, which Wine runs as it runs any program), files
// written and read through the Win32 calls, programs started and waited for, and for tests of
// real windows the screen read back and input sent through the desktop.
#pragma once

#include "platform/Win32Defs.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include "tests/platform/WindowTestSupport.h"

#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace win32_test {

inline std::u16string U(const std::wstring& text)
{
    return std::u16string(text.begin(), text.end());
}

inline std::wstring W(std::u16string_view text)
{
    return std::wstring(text.begin(), text.end());
}

inline std::wstring UniqueName(const std::wstring& stem)
{
    std::random_device rd;
    return stem + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(rd() % 1000000);
}

// Runs a program (by full path) with the command line given and waits for it; its exit code.
inline DWORD RunAndWait(const std::wstring& program, std::wstring line, DWORD timeoutMs = 10000)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return DWORD(-1);
    // Wine starts a host program without a process of its own to wait for: its handles are not
    // real ones then, and closing them could close another handle of this process.
    if (::WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_FAILED)
        return DWORD(-1);
    DWORD code = DWORD(-1);
    ::GetExitCodeProcess(info.hProcess, &code);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return code;
}

inline bool Exists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The host path of a Z: path ("Z:\\tmp\\x" is "/tmp/x").
inline std::string HostPath(const std::wstring& path)
{
    std::string host;
    for (wchar_t c : path.substr(2))
        host.push_back(c == L'\\' ? '/' : char(c));
    return host;
}

// A Unix symbolic link, made by the host's ln: Wine cannot make one through the Win32 calls.
// The command line is split at blanks, so the paths hold none.
inline bool MakeUnixLink(const std::wstring& target, const std::wstring& link)
{
    const std::string line = "/bin/ln -s " + HostPath(target) + " " + HostPath(link);
    // Wine gives no exit code for a host program: the link's presence tells.
    // Nor can it wait for one: the link's presence tells when ln is done.
    RunAndWait(L"Z:\\bin\\ln", std::wstring(line.begin(), line.end()));
    for (int i = 0; i < 250 && !Exists(link); ++i)
        ::Sleep(20);
    return Exists(link);
}

inline bool WriteFileText(const std::wstring& path, const std::string& text)
{
    const HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr) && written == text.size();
    ::CloseHandle(file);
    return ok;
}

// Removes a test folder with the host's rm, which removes links as links.
inline void RemoveHostTree(const std::wstring& path)
{
    const std::string line = "/bin/rm -rf " + HostPath(path);
    RunAndWait(L"Z:\\bin\\rm", std::wstring(line.begin(), line.end()));
    for (int i = 0; i < 250 && Exists(path); ++i)
        ::Sleep(20);
}

// Removes a folder of the prefix's own drive (not a Z: path) with everything in it, by the shell's
// recursive deletion.
inline void RemoveShellTree(const std::wstring& path)
{
    std::wstring from = path + L'\0';
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NO_UI;
    ::SHFileOperationW(&operation);
}

// A fresh folder under Z:\tmp, removed with everything in it when the test ends.
class TempFolder
{
public:
    TempFolder()
    {
        m_path = UniqueName(L"Z:\\tmp\\tvu-win32-");
        ::CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~TempFolder() { RemoveHostTree(m_path); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return m_path; }
    std::wstring operator/(const std::wstring& name) const { return m_path + L"\\" + name; }

    // Makes folders and files: names ending in '\\' are folders.
    void Make(const std::vector<std::wstring>& names) const
    {
        for (const std::wstring& name : names) {
            if (name.back() == L'\\')
                ::CreateDirectoryW((m_path + L"\\" + name.substr(0, name.size() - 1)).c_str(), nullptr);
            else
                ASSERT_TRUE(WriteFileText(m_path + L"\\" + name, "data of " + std::string(name.begin(), name.end())));
        }
    }

private:
    std::wstring m_path;
};

// ---------------------------------------------------------------------------------------------
// Real windows: the screen and input through the desktop (the loop is window_test::PumpUntil)
// ---------------------------------------------------------------------------------------------

using window_test::PumpUntil;

// The colour the desktop shows at (x, y), read back from the screen.
inline COLORREF ScreenPixel(int x, int y)
{
    HDC screen = ::GetDC(nullptr);
    const COLORREF colour = ::GetPixel(screen, x, y);
    ::ReleaseDC(nullptr, screen);
    return colour;
}

// One input event through the desktop, with a pause for it to arrive. Input is sent from a second
// thread while the window's own thread runs its loop.
inline void Send(INPUT input)
{
    ::SendInput(1, &input, sizeof input);
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
}

inline void MoveTo(int x, int y)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    // Absolute positions are in 1/65536 of the primary monitor; the middle of the pixel is aimed at.
    input.mi.dx = LONG((x * 65536LL + 32768) / ::GetSystemMetrics(SM_CXSCREEN));
    input.mi.dy = LONG((y * 65536LL + 32768) / ::GetSystemMetrics(SM_CYSCREEN));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    Send(input);
}

inline void LeftButton(bool down)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    Send(input);
}

// A left click at the screen pixel (x, y).
inline void SendClick(int x, int y)
{
    MoveTo(x, y);
    LeftButton(true);
    LeftButton(false);
}

// A window's client area in screen coordinates.
inline RECT ClientOnScreen(HWND hwnd)
{
    RECT client{};
    ::GetClientRect(hwnd, &client);
    POINT origin{0, 0};
    ::ClientToScreen(hwnd, &origin);
    return RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
}

// A top-level window of `windowClass` titled `title`, or such a child of any top-level window: the
// drawn message box is a child of its owner under Wine.
inline HWND FindWindowOrChild(const wchar_t* windowClass, const wchar_t* title)
{
    if (HWND top = ::FindWindowW(windowClass, title))
        return top;
    struct Search
    {
        const wchar_t* windowClass;
        const wchar_t* title;
        HWND found;
    } search{windowClass, title, nullptr};
    ::EnumWindows(
        [](HWND top, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            s->found = ::FindWindowExW(top, nullptr, s->windowClass, s->title);
            return s->found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The window a box belongs to: its owner, or its parent when it is a child.
inline HWND OwnerOrParent(HWND box)
{
    if (HWND owner = ::GetWindow(box, GW_OWNER))
        return owner;
    return (::GetWindowLongPtrW(box, GWL_STYLE) & WS_CHILD) ? ::GetParent(box) : nullptr;
}

} // namespace win32_test
