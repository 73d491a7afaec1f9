// The four removal steps and the process termination against the real registry, file system and
// processes under Wine. The product's key names are fixed, so these tests run one at a time in
// the test prefix (a resource lock) and remove what they made; files live in a folder of their own.
#include "tests/platform/win32/Win32TestSupport.h"

#include "app/Removal.h"
#include "app/UninstallWorker.h"
#include "app/WndThread.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

#include <shlwapi.h>

#include <chrono>
#include <thread>

namespace {

using namespace win32_test;

// The product's registration and keys, removed again whatever the test did.
class ProductRegistration
{
public:
    ProductRegistration() { Clear(); }
    ~ProductRegistration() { Clear(); }

    void Write(const std::wstring& uninstallString, const std::wstring& shortcut = L"")
    {
        platform::RegistryStore store(platform::RegistryStore::DefaultLocation());
        platform::RegistryKey key;
        ASSERT_EQ(store.CreateKey(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_ALL_ACCESS, key), ERROR_SUCCESS);
        store.SetString(key, kUninstallStringValue, U(uninstallString));
        if (!shortcut.empty())
            store.SetString(key, kDisplayShortcutValue, U(shortcut));
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_CLASSES_ROOT}) {
            ASSERT_EQ(store.CreateKey(root, std::u16string(kProductKey) + u"\\Settings", KEY_ALL_ACCESS, key),
                      ERROR_SUCCESS);
            store.SetDword(key, u"Mode", 1);
        }
    }

    static bool KeyExists(HKEY root, std::u16string_view path)
    {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(root, W(path).c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
            return false;
        ::RegCloseKey(key);
        return true;
    }

private:
    static void Clear()
    {
        ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, W(kUninstallKey).c_str());
        ::SHDeleteKeyW(HKEY_CURRENT_USER, W(kProductKey).c_str());
        ::SHDeleteKeyW(HKEY_CLASSES_ROOT, W(kProductKey).c_str());
    }
};

std::wstring StartMenuTarvion()
{
    std::u16string folder;
    EXPECT_TRUE(platform::GetStartMenuFolder(folder));
    return W(folder) + L"\\Tarvion";
}

class Win32Removal : public ::testing::Test
{
protected:
    void Stage(const std::string& manifest)
    {
        t.Make({L"install\\", L"install\\bin\\", L"install\\bin\\Tarvion.exe", L"install\\data\\",
                L"install\\data\\a.txt", L"install\\uninstall.exe", L"desktop\\", L"desktop\\Tarvion.lnk", L"outside\\",
                L"outside\\keep.txt"});
        ASSERT_TRUE(WriteFileText(t / L"install\\uninstall.dat", manifest));
        registration.Write(t / L"install\\uninstall.exe", t / L"desktop\\Tarvion.lnk");
        ::CreateDirectoryW(StartMenuTarvion().c_str(), nullptr);
        ASSERT_TRUE(WriteFileText(StartMenuTarvion() + L"\\Tarvion.lnk", "link"));
        ASSERT_TRUE(WriteFileText(StartMenuTarvion() + L"\\Remove Tarvion.lnk", "link"));
    }

    void TearDown() override { RemoveShellTree(StartMenuTarvion()); }

    TempFolder t;
    ProductRegistration registration;
};

constexpr const char* kFullManifest = R"([{"name":"bin"},{"name":"data\\a.txt"},{"name":"data"},)"
                                      R"({"name":"uninstall.exe"},{"name":"uninstall.dat"}])";

TEST_F(Win32Removal, TheFourStepsRemoveTheInstallationAndNothingElse)
{
    Stage(kFullManifest);
    EXPECT_EQ(GetInstallDirectory(), U(t / L"install\\"));
    EXPECT_TRUE(RemoveListedFiles());
    EXPECT_FALSE(Exists(t / L"install")) << "every entry and the manifest listed: the folder goes";
    EXPECT_TRUE(RemoveRecordedShortcut());
    EXPECT_FALSE(Exists(t / L"desktop\\Tarvion.lnk"));
    EXPECT_TRUE(RemoveRegistryKeys());
    EXPECT_FALSE(ProductRegistration::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(ProductRegistration::KeyExists(HKEY_CURRENT_USER, kProductKey));
    EXPECT_FALSE(ProductRegistration::KeyExists(HKEY_CLASSES_ROOT, kProductKey));
    RemoveStartMenuEntries();
    EXPECT_FALSE(Exists(StartMenuTarvion()));
    RemoveStartMenuEntries(); // already gone: nothing happens
    EXPECT_TRUE(Exists(t / L"outside\\keep.txt"));
    EXPECT_TRUE(Exists(t / L"desktop"));
}

TEST_F(Win32Removal, NamesThatLeaveTheInstallationAreSkipped)
{
    Stage(R"([{"name":"..\\outside\\keep.txt"},{"name":"Z:\\tmp"},{"name":"via\\keep.txt"},)"
          R"({"name":"away"},{"name":"data"}])");
    ASSERT_TRUE(MakeUnixLink(t / L"outside", t / L"install\\via"));
    ASSERT_TRUE(MakeUnixLink(t / L"outside", t / L"install\\away"));
    RemovalReport report;
    EXPECT_TRUE(RemoveListedFiles(nullptr, &report));
    EXPECT_FALSE(Exists(t / L"install\\data"));
    EXPECT_TRUE(Exists(t / L"outside\\keep.txt"));
    EXPECT_TRUE(Exists(t / L"install\\uninstall.dat")) << "not listed: kept, and the folder with it";
    EXPECT_GE(report.problems.size(), 2u);
}

TEST_F(Win32Removal, AShortcutValueNamingAFolderDeletesNothing)
{
    Stage(kFullManifest);
    registration.Write(t / L"install\\uninstall.exe", t / L"outside");
    EXPECT_TRUE(RemoveRecordedShortcut());
    EXPECT_TRUE(Exists(t / L"outside\\keep.txt"));
}

TEST_F(Win32Removal, AnUnknownEmptyOrRelativeFolderDeletesNothing)
{
    Stage(kFullManifest);
    for (const wchar_t* value : {L"", L"uninstall.exe", L"install\\uninstall.exe", L"Z:\\uninstall.exe"}) {
        registration.Write(value);
        EXPECT_TRUE(RemoveListedFiles());
        EXPECT_TRUE(Exists(t / L"install\\data\\a.txt")) << std::string(value, value + std::wcslen(value));
    }
    ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, W(kUninstallKey).c_str());
    EXPECT_TRUE(RemoveListedFiles());
    EXPECT_TRUE(Exists(t / L"install\\uninstall.dat"));
}

TEST_F(Win32Removal, TheRegistrationIsReadFromEitherView)
{
    registration.Write(L"Z:\\nowhere\\u.exe");
    std::u16string value;
    EXPECT_TRUE(QueryRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, kUninstallStringValue, REG_SZ, value));
    EXPECT_EQ(value, u"Z:\\nowhere\\u.exe");
    EXPECT_FALSE(QueryRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, u"Missing", REG_SZ, value));
    EXPECT_EQ(value, u"");
    // Larger than the limit: not read.
    platform::RegistryStore store(platform::RegistryStore::DefaultLocation());
    platform::RegistryKey key;
    ASSERT_EQ(store.OpenKey(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_ALL_ACCESS, key), ERROR_SUCCESS);
    store.SetString(key, u"Long", std::u16string(6000, u'x'));
    EXPECT_FALSE(QueryRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, u"Long", REG_SZ, value));
}

TEST(Win32Worker, TerminatesTheProductProcessesByWholeNameInAnyCase)
{
    TempFolder t;
    const std::string idle = TVU_BINARY_DIR "/tests/platform/win32/tvu-win32-idle.exe";
    std::vector<int> pids;
    for (const wchar_t* name : {L"Tarvion.exe", L"TRANSPORT.EXE", L"MyTarvion.exe"}) {
        const std::wstring exe = t / name;
        ASSERT_TRUE(::CopyFileW(std::wstring(idle.begin(), idle.end()).c_str(), exe.c_str(), FALSE));
        pids.push_back(platform::StartDetachedProcess(std::string(exe.begin(), exe.end()), {}));
        ASSERT_GT(pids.back(), 0);
    }
    TerminateProcessesByName(u"Tarvion.exe");
    TerminateProcessesByName(u"transport.exe");
    EXPECT_FALSE(platform::IsProcessRunning(pids[0]));
    EXPECT_FALSE(platform::IsProcessRunning(pids[1]));
    EXPECT_TRUE(platform::IsProcessRunning(pids[2])) << "only the whole file name matches";
    platform::TerminateProcess(pids[2]);
}

class FakeWindow : public IUninstallWindow
{
public:
    FakeWindow() { SetMainWindowInstance(this); }
    ~FakeWindow() { SetMainWindowInstance(nullptr); }
    UninstallProgressFlags& ProgressFlags() override { return flags; }
    void RearmProgressTimer() override { ++rearms; }

    UninstallProgressFlags flags;
    std::atomic<int> rearms{0};
};

std::wstring Program(const std::string& relative)
{
    const std::string path = TVU_BINARY_DIR "/" + relative;
    return std::wstring(path.begin(), path.end());
}

// Asks Wine's own reg.exe, from outside this process, whether a key exists.
bool RegQuerySeesKey(const std::wstring& key)
{
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    return RunAndWait(std::wstring(system) + L"\\reg.exe", L"reg.exe query \"" + key + L"\"") == 0;
}

bool AnyProcessNamed(std::u16string_view name)
{
    for (const platform::ProcessEntry& p : platform::SnapshotProcesses()) {
        if (p.exeFileName.size() == name.size() &&
            ::CompareStringOrdinal(reinterpret_cast<const wchar_t*>(p.exeFileName.data()), int(name.size()),
                                   reinterpret_cast<const wchar_t*>(name.data()), int(name.size()), TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
}

TEST_F(Win32Removal, AStagedInstallationIsRemovedByTheWorkerAndCheckedFromOutside)
{
    const std::wstring dir = t / L"staged";
    const std::wstring stager = Program("tools/tarvion-stage/tarvion-stage.exe");
    ASSERT_EQ(RunAndWait(stager, L"tarvion-stage.exe " + dir + L" --files 120 --processes --system-start-menu", 60000),
              0u);
    const std::wstring uninstallKey = L"HKLM\\" + W(kUninstallKey);
    ASSERT_TRUE(RegQuerySeesKey(uninstallKey));
    ASSERT_TRUE(RegQuerySeesKey(L"HKCU\\Software\\Tarvion VPN"));
    ASSERT_TRUE(Exists(dir + L"\\install\\lib\\p0\\q0\\r1\\file99.dat"));
    ASSERT_TRUE(Exists(StartMenuTarvion() + L"\\Remove Tarvion.lnk"));
    ASSERT_TRUE(Exists(dir + L"\\desktop\\Tarvion VPN.lnk"));
    ASSERT_TRUE(AnyProcessNamed(u"Tarvion.exe"));
    ASSERT_TRUE(AnyProcessNamed(u"transport.exe"));
    t.Make({L"neighbour.txt"});

    FakeWindow window;
    CWndThread threads;
    const std::uint32_t id = threads.Start(UninstallWorker, nullptr);
    ASSERT_NE(id, 0u);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (window.flags.workerFinished.load() == 0 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(window.flags.workerFinished.load(), 1);
    EXPECT_EQ(window.flags.filesStepResult.load(), 1);
    EXPECT_EQ(window.flags.registryStepResult.load(), 1);

    EXPECT_FALSE(Exists(dir + L"\\install"));
    EXPECT_FALSE(Exists(dir + L"\\desktop\\Tarvion VPN.lnk"));
    EXPECT_FALSE(Exists(StartMenuTarvion()));
    EXPECT_FALSE(RegQuerySeesKey(uninstallKey));
    EXPECT_FALSE(RegQuerySeesKey(L"HKCU\\Software\\Tarvion VPN"));
    EXPECT_FALSE(RegQuerySeesKey(L"HKCR\\Software\\Tarvion VPN"));
    EXPECT_FALSE(AnyProcessNamed(u"Tarvion.exe"));
    EXPECT_FALSE(AnyProcessNamed(u"transport.exe"));
    // Nothing outside the installation changed.
    EXPECT_TRUE(Exists(t / L"neighbour.txt"));
    EXPECT_TRUE(Exists(dir + L"\\desktop"));
    EXPECT_TRUE(Exists(dir + L"\\temp"));
    for (int i = 0; i < 100 && threads.LookupRoutine(id) != nullptr; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

} // namespace
