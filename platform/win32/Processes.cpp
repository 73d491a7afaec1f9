// Process services on Windows: a Toolhelp snapshot, TerminateProcess and detached starts.
#include "platform/Processes.h"

#include "platform/TextEncoding.h"
#include "platform/Win32Defs.h"
#include "platform/win32/WinPath.h"

#include <tlhelp32.h>

namespace platform {

std::vector<ProcessEntry> SnapshotProcesses()
{
    std::vector<ProcessEntry> processes;
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return processes;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
        ProcessEntry process;
        process.pid = int(entry.th32ProcessID);
        const std::wstring_view name = entry.szExeFile;
        process.exeFileName.assign(name.begin(), name.end());
        processes.push_back(std::move(process));
    }
    ::CloseHandle(snapshot);
    return processes;
}

bool TerminateProcess(int pid)
{
    if (pid <= 0 || DWORD(pid) == ::GetCurrentProcessId())
        return false;
    const HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, DWORD(pid));
    if (process == nullptr)
        return false;
    const bool ended = ::TerminateProcess(process, 0) != 0;
    if (ended)
        ::WaitForSingleObject(process, 2000); // gone from later snapshots once this returns
    ::CloseHandle(process);
    return ended;
}

bool IsProcessRunning(int pid)
{
    if (pid <= 0)
        return false;
    const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, DWORD(pid));
    if (process == nullptr)
        return false;
    const bool running = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    ::CloseHandle(process);
    return running;
}

namespace {

// One argument quoted so that the C runtime's parser gives it back unchanged.
void AppendQuoted(std::wstring& line, const std::wstring& argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += argument;
        return;
    }
    line.push_back(L'"');
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"')
            line.append(backslashes * 2 + 1, L'\\');
        else
            line.append(backslashes, L'\\');
        backslashes = 0;
        line.push_back(c);
    }
    line.append(backslashes * 2, L'\\');
    line.push_back(L'"');
}

} // namespace

int StartDetachedProcess(const std::string& program, const std::vector<std::string>& arguments)
{
    const std::wstring application = win32_impl::WidePath(Utf8ToUtf16(program));
    if (application.empty())
        return -1;
    std::wstring line;
    AppendQuoted(line, application);
    for (const std::string& argument : arguments) {
        line.push_back(L' ');
        const std::u16string wide = Utf8ToUtf16(argument);
        AppendQuoted(line, std::wstring(wide.begin(), wide.end()));
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // The program is named as the application, so no search along the path can change what runs.
    if (!::CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, FALSE,
                          DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup, &info))
        return -1;
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return int(info.dwProcessId);
}

} // namespace platform
