// Runs the real uninstall.exe under Wine against a staged installation: the product's registration
// in the prefix's registry, its Start Menu entries in the prefix's Start Menu, files and TEMP in a
// folder of the test's own. The product's key names are fixed, so the tests hold a resource lock and
// put the registry and the Start Menu back as they were, whatever happened.
#pragma once

#include "tests/e2e/WaitFor.h"
#include "tests/platform/win32/Win32TestSupport.h"

#include "app/Removal.h"
#include "platform/Processes.h"
#include "platform/Shell.h"

#include <shlwapi.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

namespace e2e_win32 {

using namespace win32_test;
using e2e::WaitFor;
using namespace std::chrono_literals;
using Env = std::map<std::wstring, std::wstring>;

inline std::wstring BuiltProgram(const std::string& relative)
{
    std::string path = TVU_BINARY_DIR "/" + relative;
    for (char& c : path)
        c = c == '/' ? '\\' : c;
    return std::wstring(path.begin(), path.end());
}

inline std::string ReadText(const std::wstring& path)
{
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Whether the prefix's own reg.exe, from outside this process, finds a key.
inline bool RegQuerySeesKey(const std::wstring& key)
{
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    return RunAndWait(std::wstring(system) + L"\\reg.exe", L"reg.exe query \"" + key + L"\"") == 0;
}

// A started process; the handle is closed with it.
class Process
{
public:
    Process() = default;
    explicit Process(HANDLE handle, DWORD id) : m_handle(handle), m_id(id) {}
    Process(Process&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)), m_id(other.m_id) {}
    Process& operator=(Process&& other) noexcept
    {
        std::swap(m_handle, other.m_handle);
        m_id = other.m_id;
        return *this;
    }
    ~Process()
    {
        if (m_handle)
            ::CloseHandle(m_handle);
    }

    explicit operator bool() const { return m_handle != nullptr; }
    DWORD Id() const { return m_id; }
    // The exit code; -2 on timeout, -1 when it cannot be read.
    long WaitExit(std::chrono::milliseconds timeout) const
    {
        if (!m_handle || ::WaitForSingleObject(m_handle, DWORD(timeout.count())) != WAIT_OBJECT_0)
            return -2;
        DWORD code = 0;
        return ::GetExitCodeProcess(m_handle, &code) ? long(code) : -1;
    }
    void Kill() const
    {
        if (m_handle)
            ::TerminateProcess(m_handle, 1);
    }

private:
    HANDLE m_handle = nullptr;
    DWORD m_id = 0;
};

inline std::wstring ImagePath(HANDLE process)
{
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = DWORD(std::size(path));
    return ::QueryFullProcessImageNameW(process, 0, path, &size) ? std::wstring(path, size) : std::wstring();
}

inline bool SamePath(const std::wstring& a, const std::wstring& b)
{
    return ::CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE) == CSTR_EQUAL;
}

// Opened handles on the running processes whose executable is `exe`.
inline std::vector<Process> ProcessesRunning(const std::wstring& exe)
{
    std::vector<Process> found;
    for (const platform::ProcessEntry& entry : platform::SnapshotProcesses()) {
        const HANDLE process =
            ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE | PROCESS_TERMINATE, FALSE, DWORD(entry.pid));
        if (!process)
            continue;
        DWORD code = 0;
        if (SamePath(ImagePath(process), exe) && ::GetExitCodeProcess(process, &code) && code == STILL_ACTIVE)
            found.emplace_back(process, DWORD(entry.pid));
        else
            ::CloseHandle(process);
    }
    return found;
}

inline bool IsAlive(DWORD pid)
{
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process)
        return false;
    DWORD code = 0;
    const bool alive = ::GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    ::CloseHandle(process);
    return alive;
}

class Sandbox
{
public:
    Sandbox() { ClearProduct(); }
    ~Sandbox()
    {
        for (DWORD pid : m_productPids) {
            if (const HANDLE process = ::OpenProcess(PROCESS_TERMINATE, FALSE, pid)) {
                ::TerminateProcess(process, 1);
                ::CloseHandle(process);
            }
        }
        for (const Process& copy : ProcessesRunning(TempCopy()))
            copy.Kill();
        ClearProduct();
    }
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    std::wstring Dir() const { return m_folder.Path(); }
    std::wstring Install() const { return m_folder / L"install"; }
    std::wstring Temp() const { return m_folder / L"temp"; }
    std::wstring Frames() const { return m_folder / L"frames"; }
    std::wstring BoxLog() const { return m_folder / L"boxes.log"; }
    std::wstring InstalledUninstaller() const { return Install() + L"\\uninstall.exe"; }
    // The relocated copy: in the run's private folder inside TEMP.
    std::wstring TempCopy() const
    {
        WIN32_FIND_DATAW found{};
        const HANDLE search = ::FindFirstFileW((Temp() + L"\\tarvion-uninstall-*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return Temp() + L"\\uninstall.exe";
        ::FindClose(search);
        return Temp() + L"\\" + found.cFileName + L"\\uninstall.exe";
    }
    static std::wstring StartMenuTarvion()
    {
        std::u16string folder;
        EXPECT_TRUE(platform::GetStartMenuFolder(folder));
        return W(folder) + L"\\Tarvion";
    }

    // Stages the sample installation with the built uninstaller and running product processes.
    void Stage(int files = 40)
    {
        const std::wstring line = L"tarvion-stage.exe " + Dir() + L" --files " + std::to_wstring(files) +
                                  L" --processes --system-start-menu --uninstaller " +
                                  BuiltProgram("app/uninstall.exe");
        ASSERT_EQ(RunAndWait(BuiltProgram("tools/tarvion-stage/tarvion-stage.exe"), line, 120000), 0u);
        std::istringstream pids(ReadText(m_folder / L"pids"));
        for (DWORD pid; pids >> pid;)
            m_productPids.push_back(pid);
        ASSERT_EQ(m_productPids.size(), 2u);
        // The delayed relaunch and deletion wait with timeout.exe, which Wine lacks.
        wchar_t system[MAX_PATH] = {};
        ::GetSystemDirectoryW(system, MAX_PATH);
        ::CopyFileW(BuiltProgram("tests/platform/win32/tvu-timeout.exe").c_str(),
                    (std::wstring(system) + L"\\timeout.exe").c_str(), TRUE);
    }
    const std::vector<DWORD>& ProductPids() const { return m_productPids; }

    // The environment of a headless run: the confirmation answered by script, frames saved.
    Env HeadlessEnv(const std::wstring& answers, const Env& extra = {}) const
    {
        Env env{{L"TVU_PLATFORM", L"headless"}, {L"TVU_MSGBOX", answers}, {L"TVU_MSGBOX_LOG", BoxLog()},
                {L"TVU_FRAMES", Frames()},      {L"TEMP", Temp()},        {L"TMP", Temp()}};
        for (const auto& [k, v] : extra)
            env[k] = v;
        return env;
    }

    // Starts a program with this process's environment changed by env (an empty value removes).
    static Process Spawn(const std::wstring& program, const std::wstring& arguments, const Env& env)
    {
        std::map<std::wstring, std::wstring, bool (*)(const std::wstring&, const std::wstring&)> vars(
            [](const std::wstring& a, const std::wstring& b) { return ::_wcsicmp(a.c_str(), b.c_str()) < 0; });
        if (wchar_t* block = ::GetEnvironmentStringsW()) {
            for (const wchar_t* e = block; *e; e += std::wcslen(e) + 1) {
                const std::wstring entry = e;
                const auto eq = entry.find(L'=', 1);
                if (eq != std::wstring::npos)
                    vars[entry.substr(0, eq)] = entry.substr(eq + 1);
            }
            ::FreeEnvironmentStringsW(block);
        }
        for (const auto& [k, v] : env) {
            if (v.empty())
                vars.erase(k);
            else
                vars[k] = v;
        }
        std::wstring block;
        for (const auto& [k, v] : vars)
            block += k + L"=" + v + L'\0';
        block += L'\0';
        std::wstring line = L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                              block.data(), nullptr, &startup, &info))
            return {};
        ::CloseHandle(info.hThread);
        return Process(info.hProcess, info.dwProcessId);
    }

    // Waits for the copy a first process relaunched from TEMP.
    Process WaitForRelaunchedCopy(std::chrono::milliseconds timeout = 10s) const
    {
        Process copy;
        WaitFor(
            [&] {
                auto running = ProcessesRunning(TempCopy());
                if (!running.empty())
                    copy = std::move(running.front());
                return bool(copy);
            },
            timeout);
        return copy;
    }

    // Message boxes shown, one "caption\ttext\tanswer" line each.
    std::vector<std::string> Boxes() const
    {
        std::vector<std::string> lines;
        std::istringstream in(ReadText(BoxLog()));
        for (std::string line; std::getline(in, line);)
            lines.push_back(line.size() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line);
        return lines;
    }

    static bool KeyExists(HKEY root, std::u16string_view path)
    {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(root, W(path).c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
            return false;
        ::RegCloseKey(key);
        return true;
    }

    void ExpectInstallationIntact() const
    {
        EXPECT_TRUE(Exists(Install() + L"\\uninstall.dat"));
        EXPECT_TRUE(Exists(Install() + L"\\Tarvion.exe"));
        EXPECT_TRUE(Exists(Dir() + L"\\desktop\\Tarvion VPN.lnk"));
        EXPECT_TRUE(Exists(StartMenuTarvion() + L"\\Tarvion.lnk"));
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
        EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kProductKey));
        for (DWORD pid : m_productPids)
            EXPECT_TRUE(IsAlive(pid)) << pid;
    }

private:
    static void ClearProduct()
    {
        ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, W(kUninstallKey).c_str());
        ::SHDeleteKeyW(HKEY_CURRENT_USER, W(kProductKey).c_str());
        ::SHDeleteKeyW(HKEY_CLASSES_ROOT, W(kProductKey).c_str());
        RemoveShellTree(StartMenuTarvion());
    }

    TempFolder m_folder;
    std::vector<DWORD> m_productPids;
};

} // namespace e2e_win32
