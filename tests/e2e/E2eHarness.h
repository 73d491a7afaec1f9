// Runs the real uninstaller in a sandbox: a staged installation with its own registry store, Start
// Menu and TEMP, processes started with a chosen environment, and this test process as the
// subreaper of everything they leave behind, so that the detached relaunch and self-deletion
// children are reaped (and their exit codes read) here, and killed here if a test fails.
#pragma once

#include "WaitFor.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace e2e {

namespace fs = std::filesystem;
using Env = std::map<std::string, std::string>;
using namespace std::chrono_literals;

inline std::string BuiltPath(const std::string& relative)
{
    return std::string(TVU_BINARY_DIR) + "/" + relative;
}
inline std::string UninstallerPath()
{
    return BuiltPath("app/uninstall.exe");
}

inline std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class Sandbox
{
public:
    Sandbox()
    {
        prctl(PR_SET_CHILD_SUBREAPER, 1);
        std::random_device rd;
        const char* tmp = std::getenv("TMPDIR");
        m_dir = fs::path(tmp != nullptr && *tmp == '/' ? tmp : "/tmp") /
                ("tvu-e2e-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(m_dir);
        m_dir = fs::canonical(m_dir);
    }

    ~Sandbox()
    {
        KillDescendants();
        std::error_code ec;
        fs::permissions(Temp(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(m_dir, ec);
    }
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    const fs::path& Dir() const { return m_dir; }
    fs::path Install() const { return m_dir / "install"; }
    fs::path Temp() const { return m_dir / "temp"; }
    fs::path Frames() const { return m_dir / "frames"; }
    fs::path BoxLog() const { return m_dir / "boxes.log"; }
    // The relocated copy: in the run's private folder inside TEMP when there is one, else TEMP's own.
    fs::path TempCopy() const
    {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(Temp(), ec)) {
            if (entry.path().filename().string().rfind("tarvion-uninstall-", 0) == 0)
                return entry.path() / "uninstall.exe";
        }
        return Temp() / "uninstall.exe";
    }
    fs::path InstalledUninstaller() const { return Install() / "uninstall.exe"; }

    // Stages the sample installation with the real uninstaller and running product processes.
    void Stage(int files = 40)
    {
        const int pid = Spawn(
            BuiltPath("tools/tarvion-stage/tarvion-stage"),
            {m_dir.string(), "--files", std::to_string(files), "--processes", "--uninstaller", UninstallerPath()}, {});
        ASSERT_EQ(WaitExit(pid, 120s), 0);
        std::ifstream in(m_dir / "pids");
        for (int p; in >> p;)
            m_productPids.push_back(p);
        ASSERT_EQ(m_productPids.size(), 2u);
    }

    const std::vector<int>& ProductPids() const { return m_productPids; }

    // The environment of a headless run in this sandbox, with extra variables (an empty value
    // removes a variable).
    Env HeadlessEnv(const std::string& answers, const Env& extra = {}) const
    {
        Env env{{"TVU_PLATFORM", "headless"},
                {"TVU_MSGBOX", answers},
                {"TVU_MSGBOX_LOG", BoxLog().string()},
                {"TVU_FRAMES", Frames().string()},
                {"TVU_REGISTRY", (m_dir / "registry.db").string()},
                {"TVU_STARTMENU", (m_dir / "startmenu").string()},
                {"TEMP", Temp().string()},
                {"DISPLAY", ""},
                {"WAYLAND_DISPLAY", ""}};
        for (const auto& [k, v] : extra)
            env[k] = v;
        return env;
    }

    // Starts a program with the given arguments in this process's environment changed by env.
    int Spawn(const std::string& program, const std::vector<std::string>& args, const Env& env)
    {
        std::vector<std::string> argStore{program};
        argStore.insert(argStore.end(), args.begin(), args.end());
        std::map<std::string, std::string> vars;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry = *e;
            const auto eq = entry.find('=');
            if (eq != std::string::npos)
                vars[entry.substr(0, eq)] = entry.substr(eq + 1);
        }
        for (const auto& [k, v] : env) {
            if (v.empty())
                vars.erase(k);
            else
                vars[k] = v;
        }
        std::vector<std::string> envStore;
        for (const auto& [k, v] : vars)
            envStore.push_back(k + "=" + v);
        std::vector<char*> argv, envp;
        for (std::string& a : argStore)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        for (std::string& e : envStore)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        pid_t pid = -1;
        if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0)
            return -1;
        return pid;
    }

    // The exit code of a child (adopted ones included); -1 for a signal, -2 on timeout.
    int WaitExit(int pid, std::chrono::milliseconds timeout)
    {
        int code = -2;
        WaitFor(
            [&] {
                int status = 0;
                const pid_t r = waitpid(pid, &status, WNOHANG);
                if (r == pid)
                    code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                return r != 0;
            },
            timeout);
        return code;
    }

    // WaitExit that also notes when a detached worker running `exe` (in a session of its own)
    // first showed. The delayed self-deletion is handed to one just before the window closes, and
    // its delay counts from there: the process's own end may take a while longer, as long as a
    // sanitizer's leak check at exit takes.
    int WaitExitNotingWorker(int pid, const fs::path& exe, std::chrono::milliseconds timeout,
                             std::optional<std::chrono::steady_clock::time_point>& workerSeen)
    {
        int code = -2;
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (code == -2 && std::chrono::steady_clock::now() < end) {
            if (!workerSeen) {
                for (const int other : ProcessesRunning(exe))
                    if (other != pid && getsid(other) == other)
                        workerSeen = std::chrono::steady_clock::now();
            }
            code = WaitExit(pid, std::chrono::milliseconds(0));
            if (code == -2)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return code;
    }

    // Reaps every ended child: pid -> exit code (-1 for a signal).
    std::map<int, int> ReapEnded()
    {
        std::map<int, int> ended;
        int status = 0;
        for (pid_t pid; (pid = waitpid(-1, &status, WNOHANG)) > 0;)
            ended[pid] = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return ended;
    }

    // Living processes whose executable is the given file.
    static std::vector<int> ProcessesRunning(const fs::path& exe)
    {
        std::vector<int> pids;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator("/proc", ec)) {
            const std::string name = entry.path().filename().string();
            if (name.find_first_not_of("0123456789") != std::string::npos)
                continue;
            std::error_code linkError;
            const fs::path target = fs::read_symlink(entry.path() / "exe", linkError);
            if (!linkError && target == exe)
                pids.push_back(std::stoi(name));
        }
        return pids;
    }

    static bool IsAlive(int pid)
    {
        const std::string stat = ReadText("/proc/" + std::to_string(pid) + "/stat");
        const auto close = stat.rfind(')');
        return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
    }

    // Message boxes shown, one "caption\ttext\tanswer" line each.
    std::vector<std::string> Boxes() const
    {
        std::vector<std::string> lines;
        std::istringstream in(ReadText(BoxLog()));
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    bool KeyExists(HKEY root, const std::u16string& path) const
    {
        platform::RegistryStore store((m_dir / "registry.db").string());
        platform::RegistryKey key;
        return store.OpenKey(root, path, KEY_QUERY_VALUE, key) == ERROR_SUCCESS;
    }

private:
    // Kills every process this test is the parent or subreaper of: all of them were started here.
    void KillDescendants()
    {
        for (int pid : m_productPids)
            kill(pid, SIGKILL);
        const std::string self = std::to_string(getpid());
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator("/proc", ec)) {
            const std::string name = entry.path().filename().string();
            if (name.find_first_not_of("0123456789") != std::string::npos)
                continue;
            const std::string stat = ReadText(entry.path() / "stat");
            const auto close = stat.rfind(')');
            if (close == std::string::npos)
                continue;
            std::istringstream fields(stat.substr(close + 2));
            std::string state, parent;
            fields >> state >> parent;
            if (parent == self)
                kill(std::stoi(name), SIGKILL);
        }
        ReapEnded();
    }

    fs::path m_dir;
    std::vector<int> m_productPids;
};

// Waits for the copy that a first process relaunched from TEMP; its pid, or -1.
inline int WaitForRelaunchedCopy(Sandbox& box)
{
    int copy = -1;
    WaitFor(
        [&] {
            const auto running = Sandbox::ProcessesRunning(box.TempCopy());
            if (!running.empty())
                copy = running.front();
            return copy > 0;
        },
        5s);
    return copy;
}

} // namespace e2e
