// Delayed launch and deletion on Windows, by the system's command interpreter: it waits with
// timeout.exe and then runs the program or deletes the file, after this process has ended.
//
// No path may change what runs. The interpreter and timeout.exe are named by their full paths in
// the system folder (no search of the current folder or PATH) and AutoRun commands are off (/D).
// A path is put into the command inside quotes, where the interpreter still acts on '%' (and on
// '!' with delayed expansion), and Wine's interpreter also on '&' and on '%' in the text a
// variable expands to: a path holding any of "%!^&|<>" is used in its short (8.3) form when that
// form holds none of them, and is refused otherwise, so the task is not started at all.
#include "platform/DetachedTasks.h"

#include "platform/FileCopy.h"
#include "platform/Win32Defs.h"
#include "platform/win32/WinPath.h"

#include <string>

namespace platform {

namespace {

std::wstring SystemFolder()
{
    wchar_t buffer[MAX_PATH] = {};
    const UINT n = ::GetSystemDirectoryW(buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(buffer, n) : std::wstring();
}

bool SafeInQuotes(const std::wstring& path)
{
    if (path.empty() || path.find_first_of(L"\"%!^&|<>") != std::wstring::npos)
        return false;
    for (wchar_t c : path) {
        if (c < 32)
            return false;
    }
    return true;
}

// The path as it may stand in the command, or empty when no such form exists.
std::wstring CommandForm(const std::wstring& path)
{
    if (SafeInQuotes(path))
        return path;
    wchar_t buffer[MAX_PATH * 2] = {};
    const DWORD n = ::GetShortPathNameW(path.c_str(), buffer, MAX_PATH * 2);
    if (n == 0 || n >= MAX_PATH * 2)
        return {};
    const std::wstring shortForm(buffer, n);
    return SafeInQuotes(shortForm) ? shortForm : std::wstring();
}

bool RunHidden(const std::wstring& command)
{
    const std::wstring system = SystemFolder();
    if (system.empty())
        return false;
    const std::wstring interpreter = system + L"\\cmd.exe";
    std::wstring line = L"cmd.exe /D /V:OFF /S /C \"" + command + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(interpreter.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &startup, &info))
        return false;
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return true;
}

// "timeout /t N", by the full path of the system's (or, under Wine, the stand-in's) program.
std::wstring Wait(unsigned delayMs)
{
    const unsigned seconds = (delayMs + 999) / 1000;
    return L"\"" + SystemFolder() + L"\\timeout.exe\" /t " + std::to_wstring(seconds) + L" >NUL";
}

} // namespace

bool StartDelayedLaunch(std::u16string_view path, unsigned delayMs)
{
    const std::wstring target = CommandForm(win32_impl::WidePath(path));
    if (target.empty())
        return false;
    return RunHidden(Wait(delayMs) + L" && start \"\" \"" + target + L"\"");
}

bool StartDelayedDelete(std::u16string_view path, unsigned delayMs)
{
    const std::wstring full = win32_impl::WidePath(path);
    const std::wstring target = CommandForm(full);
    if (target.empty() || win32_impl::IsFolder(win32_impl::EntryAttributes(full)))
        return false;
    std::wstring command = Wait(delayMs) + L" && del /f /q \"" + target + L"\"";
    // A copy that runs from a private folder of its own takes the (then empty) folder with it.
    const std::size_t slash = target.rfind(L'\\');
    if (slash != std::wstring::npos && slash > 0) {
        const std::wstring folder = target.substr(0, slash);
        const std::wstring longFolder = full.substr(0, full.rfind(L'\\'));
        const std::wstring name = longFolder.substr(longFolder.rfind(L'\\') + 1);
        const std::wstring prefix(kPrivateFolderPrefix,
                                  kPrivateFolderPrefix + std::char_traits<char16_t>::length(kPrivateFolderPrefix));
        if (name.compare(0, prefix.size(), prefix) == 0 &&
            !win32_impl::IsReparsePoint(win32_impl::EntryAttributes(longFolder)))
            command += L" & rmdir \"" + folder + L"\""; // only ever an empty folder
    }
    return RunHidden(command);
}

} // namespace platform
