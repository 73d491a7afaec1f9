// The delayed launch and deletion through the command interpreter under Wine, with the stand-in
// for timeout.exe put into the prefix's system folder. Paths hold characters that the interpreter
// would act on if a path ever became command text.
#include "Win32TestSupport.h"

#include "platform/DetachedTasks.h"
#include "platform/FileCopy.h"

#include <chrono>
#include <thread>

namespace {

using namespace win32_test;
using Clock = std::chrono::steady_clock;

std::wstring BuiltProgram(const char* name)
{
    const std::string path = std::string(TVU_BINARY_DIR "/tests/platform/win32/") + name;
    return std::wstring(path.begin(), path.end());
}

class DelayedTasks : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        wchar_t system[MAX_PATH] = {};
        ::GetSystemDirectoryW(system, MAX_PATH);
        const std::wstring timeout = std::wstring(system) + L"\\timeout.exe";
        if (!Exists(timeout))
            ::CopyFileW(BuiltProgram("tvu-timeout.exe").c_str(), timeout.c_str(), TRUE);
        ASSERT_TRUE(Exists(timeout));
    }

    template <typename Condition> static bool WaitFor(Condition condition, std::chrono::milliseconds limit)
    {
        const auto end = Clock::now() + limit;
        while (!condition()) {
            if (Clock::now() > end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }
};

TEST_F(DelayedTasks, LaunchWaitsASecondAndRunsExactlyThePathGiven)
{
    TempFolder t;
    const std::wstring folder = t / L"a (b) c";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring program = folder + L"\\touch me.exe";
    ASSERT_TRUE(::CopyFileW(BuiltProgram("tvu-win32-touch.exe").c_str(), program.c_str(), FALSE));
    const auto start = Clock::now();
    ASSERT_TRUE(platform::StartDelayedLaunch(U(program), 1000));
    ASSERT_TRUE(WaitFor([&] { return Exists(program + L".ran"); }, std::chrono::seconds(15)));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(900));
}

TEST_F(DelayedTasks, APathTheInterpreterWouldActOnNeverRunsAnythingElse)
{
    TempFolder t;
    // '%PATH%' would expand, '&' would start a second command.
    const std::wstring folder = t / L"a %PATH% & b";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring program = folder + L"\\touch.exe";
    ASSERT_TRUE(::CopyFileW(BuiltProgram("tvu-win32-touch.exe").c_str(), program.c_str(), FALSE));
    // Refused, or run by a short name that holds none of those characters: either way only this
    // very program can run.
    if (platform::StartDelayedLaunch(U(program), 1000)) {
        EXPECT_TRUE(WaitFor([&] { return Exists(program + L".ran"); }, std::chrono::seconds(15)));
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        EXPECT_FALSE(Exists(program + L".ran"));
    }
    EXPECT_FALSE(platform::StartDelayedLaunch(U(t / L"x\"a.exe"), 0));
}

TEST_F(DelayedTasks, DeleteWaitsAndTakesOnlyTheFileAndItsPrivateFolder)
{
    TempFolder t;
    t.Make({L"keep.txt", L"source.exe"});
    const std::wstring strange = t / L"x (TEMP) y";
    ::CreateDirectoryW(strange.c_str(), nullptr);
    std::u16string copy;
    ASSERT_EQ(platform::CopyIntoPrivateFolder(U(t / L"source.exe"), U(strange), u"uninstall.exe", copy), ERROR_SUCCESS);
    const std::wstring folder = W(copy).substr(0, W(copy).rfind(L'\\'));
    const auto start = Clock::now();
    ASSERT_TRUE(platform::StartDelayedDelete(copy, 3000));
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    EXPECT_TRUE(Exists(W(copy))) << "deleted before the delay";
    ASSERT_TRUE(WaitFor([&] { return !Exists(W(copy)); }, std::chrono::seconds(15)));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(2900));
    EXPECT_TRUE(WaitFor([&] { return !Exists(folder); }, std::chrono::seconds(5)));
    EXPECT_TRUE(Exists(strange));
    EXPECT_TRUE(Exists(t / L"keep.txt"));
    EXPECT_TRUE(Exists(t / L"source.exe"));
    EXPECT_FALSE(platform::StartDelayedDelete(U(strange), 0)) << "never a folder";
}

} // namespace
