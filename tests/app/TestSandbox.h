// A temporary sandbox for removal tests: a fresh folder, the staging and registry tools, the
// environment that points the uninstaller at the sandbox, and cleanup of every process and file
// the test created, also when it fails.
#pragma once

#include "tests/JoinedText.h"
#include "platform/Processes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tvu_test {

namespace fs = std::filesystem;

inline std::string ToolPath(const std::string& name)
{
    if (name == "regtool")
        return tvtest::Joined(TVU_BINARY_DIR, "/tools/regtool/regtool");
    return tvtest::Joined(TVU_BINARY_DIR, "/tools/tarvion-stage/", name);
}

// Joins pieces by appending (GCC 12 warns falsely about chains of string operator+).
inline std::string Cat(std::initializer_list<std::string_view> pieces)
{
    std::string out;
    for (std::string_view p : pieces)
        out.append(p);
    return out;
}

inline std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteText(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

struct CommandResult
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

class Sandbox
{
public:
    Sandbox()
    {
        std::random_device rd;
        // Not temp_directory_path(): that reads TEMP, which every sandbox points into itself.
        const char* tmp = std::getenv("TMPDIR");
        m_dir = fs::path(tmp != nullptr && *tmp == '/' ? tmp : "/tmp") /
                ("tvu-removal-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(m_dir);
        m_dir = fs::canonical(m_dir);
        setenv("TVU_REGISTRY", (m_dir / "registry.db").c_str(), 1);
        setenv("TVU_STARTMENU", (m_dir / "startmenu").c_str(), 1);
        setenv("TEMP", (m_dir / "temp").c_str(), 1);
    }

    ~Sandbox()
    {
        for (int pid : m_pids)
            platform::TerminateProcess(pid);
        for (int pid : ReadPids())
            platform::TerminateProcess(pid);
        std::error_code ec;
        fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(m_dir, ec);
    }

    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    const fs::path& Dir() const { return m_dir; }
    fs::path Install() const { return m_dir / "install"; }

    // Runs a command line through the shell with its output captured.
    CommandResult Run(const std::string& command)
    {
        // Beside the sandbox, not in it: the stager wants an empty folder.
        const fs::path out = m_dir.string() + ".out", err = m_dir.string() + ".err";
        const int status = std::system((command + " >'" + out.string() + "' 2>'" + err.string() + "'").c_str());
        CommandResult result;
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = ReadText(out);
        result.err = ReadText(err);
        fs::remove(out);
        fs::remove(err);
        return result;
    }

    // Stages the sample installation into the sandbox itself.
    void Stage(const std::string& options = "")
    {
        const CommandResult r = Run(Cat({"'", ToolPath("tarvion-stage"), "' '", m_dir.string(), "' ", options}));
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }

    CommandResult Regtool(const std::string& arguments)
    {
        return Run(Cat({"'", ToolPath("regtool"), "' ", arguments}));
    }

    std::vector<int> ReadPids() const
    {
        std::vector<int> pids;
        std::ifstream in(m_dir / "pids");
        for (int pid; in >> pid;)
            pids.push_back(pid);
        return pids;
    }

    // Starts a copy of the idle program under the given file name; it is killed with the sandbox.
    int StartIdleAs(const std::string& fileName)
    {
        const fs::path exe = m_dir / "bin" / fileName;
        fs::create_directories(exe.parent_path());
        fs::copy_file(ToolPath("tarvion-idle"), exe, fs::copy_options::overwrite_existing);
        const int pid = platform::StartDetachedProcess(exe.string(), {});
        if (pid > 0)
            m_pids.push_back(pid);
        return pid;
    }

    // Every regular file and link below a folder with its content (a link's content is its target).
    static std::map<std::string, std::string> Snapshot(const fs::path& root)
    {
        std::map<std::string, std::string> files;
        for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
            const fs::path rel = fs::relative(it->path(), root);
            if (it->is_symlink())
                files[rel.string()] = "-> " + fs::read_symlink(it->path()).string();
            else if (it->is_regular_file())
                files[rel.string()] = ReadText(it->path());
            else if (it->is_directory())
                files[rel.string() + "/"] = "";
        }
        return files;
    }

private:
    fs::path m_dir;
    std::vector<int> m_pids;
};

// Waits up to the timeout for a condition to hold.
template <typename Condition>
bool WaitFor(Condition&& condition, std::chrono::milliseconds timeout = std::chrono::seconds(5))
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace tvu_test
