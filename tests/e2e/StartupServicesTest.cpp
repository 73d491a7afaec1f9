// The platform services behind the uninstaller's start-up: the file copy into a folder others may
// write to, the delayed detached launch and delete, environment and module path, embedded
// resources and the single-instance marker with its raise request.
#include "platform/DetachedTasks.h"
#include "platform/Environment.h"
#include "platform/FileCopy.h"
#include "platform/InstanceMarker.h"
#include "platform/Processes.h"
#include "platform/Resources.h"
#include "platform/TextEncoding.h"
#include "platform/WindowSystem.h"
#include "platform/headless/HeadlessBackend.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::u16string U(const fs::path& p)
{
    return platform::Utf8ToUtf16(p.string());
}

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

template <typename Condition> bool WaitFor(Condition&& condition, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

class TempFolder
{
public:
    TempFolder()
    {
        std::random_device rd;
        m_dir = fs::path("/tmp") / ("tvu-startup-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(m_dir);
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    const fs::path& Dir() const { return m_dir; }

private:
    fs::path m_dir;
};

// ---------------------------------------------------------------------------------------------
// Copying into a shared folder
// ---------------------------------------------------------------------------------------------

TEST(CopyFileReplacing, CopiesBytesAndModeAndReplacesAnOlderFile)
{
    TempFolder t;
    WriteText(t.Dir() / "source", "new program");
    fs::permissions(t.Dir() / "source", fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    WriteText(t.Dir() / "target", "an older copy that is longer");
    ASSERT_EQ(platform::CopyFileReplacing(U(t.Dir() / "source"), U(t.Dir() / "target")), ERROR_SUCCESS);
    EXPECT_EQ(ReadText(t.Dir() / "target"), "new program");
    EXPECT_EQ(fs::status(t.Dir() / "target").permissions(),
              fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    EXPECT_EQ(std::distance(fs::directory_iterator(t.Dir()), fs::directory_iterator()), 2) << "no leftovers";
}

TEST(CopyFileReplacing, PlantedLinksAreReplacedNeverWrittenThrough)
{
    TempFolder t;
    WriteText(t.Dir() / "source", "program");
    WriteText(t.Dir() / "victim", "precious");
    fs::create_symlink(t.Dir() / "victim", t.Dir() / "symlinked");
    ASSERT_EQ(platform::CopyFileReplacing(U(t.Dir() / "source"), U(t.Dir() / "symlinked")), ERROR_SUCCESS);
    EXPECT_FALSE(fs::is_symlink(t.Dir() / "symlinked"));
    EXPECT_EQ(ReadText(t.Dir() / "symlinked"), "program");

    fs::create_hard_link(t.Dir() / "victim", t.Dir() / "hardlinked");
    ASSERT_EQ(platform::CopyFileReplacing(U(t.Dir() / "source"), U(t.Dir() / "hardlinked")), ERROR_SUCCESS);
    EXPECT_EQ(ReadText(t.Dir() / "hardlinked"), "program");
    EXPECT_EQ(ReadText(t.Dir() / "victim"), "precious");

    // A dangling link to a path that does not exist yet is not followed to create it either.
    fs::create_symlink(t.Dir() / "created-through-link", t.Dir() / "dangling");
    ASSERT_EQ(platform::CopyFileReplacing(U(t.Dir() / "source"), U(t.Dir() / "dangling")), ERROR_SUCCESS);
    EXPECT_FALSE(fs::exists(t.Dir() / "created-through-link"));
}

TEST(CopyFileReplacing, FailuresCarryWin32Codes)
{
    TempFolder t;
    WriteText(t.Dir() / "source", "program");
    EXPECT_EQ(platform::CopyFileReplacing(U(t.Dir() / "missing"), U(t.Dir() / "target")), ERROR_FILE_NOT_FOUND);
    // A missing folder is "path not found", the copy's own code, not the temporary file's.
    EXPECT_EQ(platform::CopyFileReplacing(U(t.Dir() / "source"), U(t.Dir() / "no" / "target")), ERROR_PATH_NOT_FOUND);
    fs::create_directory(t.Dir() / "folder");
    EXPECT_EQ(platform::CopyFileReplacing(U(t.Dir() / "source"), U(t.Dir() / "folder")), ERROR_ACCESS_DENIED);

    // A copy that is running cannot be replaced, as on Windows.
    const fs::path idle = t.Dir() / "running.exe";
    fs::copy_file(std::string(TVU_BINARY_DIR) + "/tools/tarvion-stage/tarvion-idle", idle);
    const int pid = platform::StartDetachedProcess(idle.string(), {});
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(WaitFor([&] { return fs::read_symlink("/proc/" + std::to_string(pid) + "/exe") == idle; }, 5s));
    EXPECT_EQ(platform::CopyFileReplacing(U(t.Dir() / "source"), U(idle)), ERROR_SHARING_VIOLATION);
    platform::TerminateProcess(pid);
}

// ---------------------------------------------------------------------------------------------
// Delayed detached work
// ---------------------------------------------------------------------------------------------

TEST(DetachedTasks, DeleteWaitsThenRemovesOnlyThePathGiven)
{
    TempFolder t;
    // Characters a command interpreter would act on are only characters of a file name here.
    const fs::path odd = t.Dir() / "a b'; touch pwned; \"$(touch pwned2)\" & x";
    WriteText(odd, "copy");
    ASSERT_TRUE(platform::StartDelayedDelete(U(odd), 300));
    std::this_thread::sleep_for(150ms);
    EXPECT_TRUE(fs::exists(odd)) << "deleted before the delay";
    EXPECT_TRUE(WaitFor([&] { return !fs::exists(odd); }, 3s));
    EXPECT_FALSE(fs::exists("pwned"));
    EXPECT_FALSE(fs::exists(t.Dir() / "pwned"));
    EXPECT_FALSE(fs::exists(t.Dir() / "pwned2"));

    // A link is removed, its target kept; a folder is never removed.
    WriteText(t.Dir() / "target", "kept");
    fs::create_symlink(t.Dir() / "target", t.Dir() / "link");
    fs::create_directory(t.Dir() / "folder");
    ASSERT_TRUE(platform::StartDelayedDelete(U(t.Dir() / "link"), 0));
    ASSERT_TRUE(platform::StartDelayedDelete(U(t.Dir() / "folder"), 0));
    EXPECT_TRUE(WaitFor([&] { return !fs::is_symlink(t.Dir() / "link"); }, 3s));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(ReadText(t.Dir() / "target"), "kept");
    EXPECT_TRUE(fs::is_directory(t.Dir() / "folder"));
}

TEST(DetachedTasks, LaunchWaitsThenRunsTheProgramWithTheEnvironment)
{
    TempFolder t;
    const fs::path program = t.Dir() / "run me \"now\" $(x).sh";
    const fs::path marker = t.Dir() / "ran";
    WriteText(program, "#!/bin/sh\necho \"$TVU_STARTUP_PROBE\" > '" + marker.string() + "'\n");
    fs::permissions(program, fs::perms::owner_all);
    setenv("TVU_STARTUP_PROBE", "inherited", 1);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(platform::StartDelayedLaunch(U(program), 400));
    ASSERT_TRUE(WaitFor([&] { return fs::exists(marker) && !ReadText(marker).empty(); }, 5s));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 390ms);
    EXPECT_EQ(ReadText(marker), "inherited\n");
    unsetenv("TVU_STARTUP_PROBE");
}

// ---------------------------------------------------------------------------------------------
// Environment, module path, resources
// ---------------------------------------------------------------------------------------------

TEST(Environment, VariablesAndModulePath)
{
    std::u16string value = u"stale";
    unsetenv("TVU_STARTUP_UNSET");
    EXPECT_FALSE(platform::GetEnvironmentVariable(u"TVU_STARTUP_UNSET", value));
    EXPECT_TRUE(value.empty());
    setenv("TVU_STARTUP_EMPTY", "", 1);
    EXPECT_TRUE(platform::GetEnvironmentVariable(u"TVU_STARTUP_EMPTY", value));
    EXPECT_TRUE(value.empty());
    setenv("TVU_STARTUP_TEXT", "C:\\Temp \xC3\xA9", 1);
    EXPECT_TRUE(platform::GetEnvironmentVariable(u"TVU_STARTUP_TEXT", value));
    EXPECT_EQ(value, u"C:\\Temp \u00E9");
    EXPECT_FALSE(platform::GetEnvironmentVariable(u"A=B", value));

    EXPECT_EQ(platform::GetModuleFileName(), U(fs::canonical("/proc/self/exe")));
}

TEST(Resources, FoundByTypeIgnoringCaseAndId)
{
    static const std::uint8_t skin[] = {1, 2, 3};
    static const std::uint8_t newer[] = {9};
    platform::RegisterResource(u"ZIPRES", 102, skin, sizeof skin);
    EXPECT_EQ(platform::FindResource(u"zipres", 102).size(), 3u);
    EXPECT_EQ(platform::FindResource(u"ZIPRES", 102).data(), skin);
    EXPECT_TRUE(platform::FindResource(u"ZIPRES", 101).empty());
    EXPECT_TRUE(platform::FindResource(u"ICON", 102).empty());
    platform::RegisterResource(u"ZipRes", 102, newer, sizeof newer);
    EXPECT_EQ(platform::FindResource(u"ZIPRES", 102).data(), newer);
}

// ---------------------------------------------------------------------------------------------
// Single-instance marker
// ---------------------------------------------------------------------------------------------

std::string UniqueMarkerName()
{
    return "Global\\tvu-test-marker-" + std::to_string(getpid()) + "-" + std::to_string(std::random_device()());
}

TEST(InstanceMarker, HeldByOneOwnerAtATimeAndFreedWithIt)
{
    platform::WindowSystem::Install(std::make_unique<platform::HeadlessBackend>());
    const std::string name = UniqueMarkerName();
    {
        platform::InstanceMarker first;
        EXPECT_EQ(first.Create(name), platform::MarkerState::Created);
        EXPECT_TRUE(first.IsHeld());
        platform::InstanceMarker second;
        EXPECT_EQ(second.Create(name), platform::MarkerState::AlreadyExists);
        EXPECT_FALSE(second.IsHeld());
    }
    platform::InstanceMarker again;
    EXPECT_EQ(again.Create(name), platform::MarkerState::Created);
    EXPECT_EQ(platform::InstanceMarker().Create(std::string(200, 'x')), platform::MarkerState::Failed);
    platform::WindowSystem::Shutdown();
}

// Runs the raise request on another thread while this (UI) thread runs the message loop.
bool RaiseWhilePumping(const std::string& name, std::u16string_view className, std::u16string_view title)
{
    std::atomic<bool> raised{false}, done{false};
    std::thread client([&] {
        raised = platform::RaiseInstanceWindow(name, className, title, 3000);
        done = true;
    });
    while (!WaitFor([&] { return done.load(); }, 0ms)) {
        platform::Windows().DispatchPending();
        std::this_thread::sleep_for(2ms);
    }
    client.join();
    return raised;
}

TEST(InstanceMarker, ALaterInstanceRestoresAndRaisesTheHoldersWindow)
{
    platform::WindowSystem::Install(std::make_unique<platform::HeadlessBackend>());
    auto& windows = platform::Windows();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) { return platform::Windows().DefWindowProc(h, m, w, l); };
    wc.lpszClassName = platform::Win32Text(u"CMainWnd");
    ASSERT_NE(windows.RegisterClassEx(wc), 0);
    const HWND main = windows.CreateWindowEx(0, u"CMainWnd", u"Tarvion Uninstall Window", WS_VISIBLE | WS_POPUP, 10, 10,
                                             200, 100, nullptr, nullptr, nullptr, nullptr);
    const HWND other = windows.CreateWindowEx(0, u"CMainWnd", u"Another", WS_VISIBLE | WS_POPUP, 20, 20, 200, 100,
                                              nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(main && other);
    windows.ShowWindow(main, SW_MINIMIZE);
    ASSERT_TRUE(windows.IsIconic(main));

    const std::string name = UniqueMarkerName();
    EXPECT_FALSE(platform::RaiseInstanceWindow(name, u"CMainWnd", u"Tarvion Uninstall Window", 500))
        << "nobody holds the marker";
    platform::InstanceMarker marker;
    ASSERT_EQ(marker.Create(name), platform::MarkerState::Created);

    EXPECT_FALSE(RaiseWhilePumping(name, u"CMainWnd", u"Some other title"));
    EXPECT_TRUE(windows.IsIconic(main));
    EXPECT_TRUE(RaiseWhilePumping(name, u"CMainWnd", u"Tarvion Uninstall Window"));
    EXPECT_FALSE(windows.IsIconic(main));
    const auto order = windows.TopLevelWindows();
    ASSERT_FALSE(order.empty());
    EXPECT_EQ(order.back(), main) << "raised to the top";
    EXPECT_EQ(windows.GetWindowLongPtr(main, GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "and not left topmost";
    platform::WindowSystem::Shutdown();
}

// The listener never reaches a window system that is gone, and never makes one: with the window
// system shut down first, a raise request is answered "no window" at once; with the marker given
// up first, nobody answers. Requests keep coming while the window system goes away.
TEST(InstanceMarker, ARequestAfterShutdownIsAnsweredNoWindowInEitherOrder)
{
    for (const bool windowSystemFirst : {true, false}) {
        platform::WindowSystem::Install(std::make_unique<platform::HeadlessBackend>());
        const std::string name = UniqueMarkerName();
        auto marker = std::make_unique<platform::InstanceMarker>();
        ASSERT_EQ(marker->Create(name), platform::MarkerState::Created);

        std::atomic<bool> stop{false};
        std::atomic<int> asked{0}, raised{0};
        std::thread client([&] {
            while (!stop) {
                raised += platform::RaiseInstanceWindow(name, u"CMainWnd", u"Tarvion Uninstall Window", 300);
                ++asked;
            }
        });
        // Served by this thread's loop while the window system is there (it has no such window).
        const auto served = std::chrono::steady_clock::now() + 10s;
        while (asked.load() < 3 && std::chrono::steady_clock::now() < served) {
            platform::Windows().DispatchPending();
            std::this_thread::sleep_for(2ms);
        }
        ASSERT_GE(asked.load(), 3);
        if (windowSystemFirst) {
            platform::WindowSystem::Shutdown();
            const int before = asked;
            const auto start = std::chrono::steady_clock::now();
            ASSERT_TRUE(WaitFor([&] { return asked.load() >= before + 20; }, 10s));
            // Answered at once, not after the client's timeout.
            EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);
            EXPECT_EQ(platform::WindowSystem::Current(), nullptr) << "the listener made a window system";
            marker.reset();
        } else {
            marker.reset();
            platform::WindowSystem::Shutdown();
        }
        stop = true;
        client.join();
        EXPECT_EQ(raised, 0);
        EXPECT_EQ(platform::WindowSystem::Current(), nullptr);
        EXPECT_FALSE(platform::RaiseInstanceWindow(name, u"CMainWnd", u"Tarvion Uninstall Window", 200));
    }
}

} // namespace
