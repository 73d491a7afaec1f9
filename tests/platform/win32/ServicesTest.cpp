// The Win32 registry, process, marker, environment, library and delayed-task services against
// the real ones under Wine. Every registry test works below a key of its own name and removes it.
#include "Win32TestSupport.h"

#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/FileCopy.h"
#include "platform/InstanceMarker.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "platform/SharedLibrary.h"
#include "platform/TextFile.h"
#include "tests/JoinedText.h"

#include <shlwapi.h>

namespace {

using namespace win32_test;

// A key of the test's own under Software, removed at the end with everything below it.
class TestKey
{
public:
    explicit TestKey(HKEY root) : m_root(root), m_path(U(L"Software\\" + UniqueName(L"tvu-test-"))) {}
    ~TestKey() { ::SHDeleteKeyW(m_root, W(m_path).c_str()); }
    HKEY Root() const { return m_root; }
    const std::u16string& Path() const { return m_path; }

private:
    HKEY m_root;
    std::u16string m_path;
};

std::u16string ReadString(platform::RegistryStore& store, HKEY root, std::u16string_view path, DWORD access,
                          std::u16string_view name, DWORD* rcOut = nullptr)
{
    platform::RegistryKey key;
    DWORD rc = store.OpenKey(root, path, access, key);
    std::vector<std::uint8_t> data(64, 0);
    DWORD size = DWORD(data.size());
    DWORD type = REG_SZ;
    if (rc == ERROR_SUCCESS)
        rc = store.QueryValue(key, name, &type, data.data(), &size);
    if (rcOut != nullptr)
        *rcOut = rc;
    if (rc != ERROR_SUCCESS)
        return {};
    return std::u16string(reinterpret_cast<const char16_t*>(data.data()));
}

TEST(Win32Registry, WritesReadsEnumeratesAndDeletesTrees)
{
    TestKey k(HKEY_CURRENT_USER);
    platform::RegistryStore store(platform::RegistryStore::DefaultLocation());
    platform::RegistryKey key;
    ASSERT_EQ(store.CreateKey(k.Root(), k.Path() + u"\\Sub\\Deeper", KEY_ALL_ACCESS, key), ERROR_SUCCESS);
    ASSERT_EQ(store.CreateKey(k.Root(), k.Path(), KEY_ALL_ACCESS, key), ERROR_SUCCESS);
    EXPECT_EQ(store.SetString(key, u"Text", u"Grüße"), ERROR_SUCCESS);
    EXPECT_EQ(store.SetDword(key, u"Number", 0x12345678), ERROR_SUCCESS);
    EXPECT_EQ(ReadString(store, k.Root(), k.Path(), KEY_QUERY_VALUE, u"TEXT"), u"Grüße") << "names ignore case";

    std::vector<std::u16string> subKeys;
    EXPECT_EQ(store.EnumSubKeys(key, subKeys), ERROR_SUCCESS);
    EXPECT_EQ(subKeys, std::vector<std::u16string>{u"Sub"});
    std::vector<platform::RegistryValue> values;
    EXPECT_EQ(store.EnumValues(key, values), ERROR_SUCCESS);
    ASSERT_EQ(values.size(), 2u);

    // Too small a buffer: ERROR_MORE_DATA and the size needed, no data.
    std::vector<std::uint8_t> small(4, 0xEE);
    DWORD size = 4, type = REG_SZ;
    EXPECT_EQ(store.QueryValue(key, u"Text", &type, small.data(), &size), DWORD(ERROR_MORE_DATA));
    EXPECT_EQ(size, 12u);
    EXPECT_EQ(store.DeleteValue(key, u"Number"), ERROR_SUCCESS);

    EXPECT_EQ(store.DeleteTree(k.Root(), u"", 0), DWORD(ERROR_ACCESS_DENIED)) << "a root is never deleted";
    EXPECT_EQ(store.DeleteTree(k.Root(), k.Path(), 0), ERROR_SUCCESS);
    DWORD rc = 0;
    ReadString(store, k.Root(), k.Path(), KEY_QUERY_VALUE, u"Text", &rc);
    EXPECT_EQ(rc, DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_NE(store.DeleteTree(k.Root(), k.Path(), 0), ERROR_SUCCESS);
}

TEST(Win32Registry, TheTwoViewsOfTheMachineRoot)
{
    // Written in the 32-bit view only: the 64-bit (default) view of a 64-bit program does not see it.
    TestKey k(HKEY_LOCAL_MACHINE);
    platform::RegistryStore store(platform::RegistryStore::DefaultLocation());
    platform::RegistryKey key;
    ASSERT_EQ(store.CreateKey(k.Root(), k.Path(), KEY_ALL_ACCESS | KEY_WOW64_32KEY, key), ERROR_SUCCESS);
    EXPECT_EQ(store.SetString(key, u"Where", u"wow"), ERROR_SUCCESS);
    DWORD rc = 0;
    ReadString(store, k.Root(), k.Path(), KEY_QUERY_VALUE, u"Where", &rc);
    EXPECT_EQ(rc, DWORD(ERROR_FILE_NOT_FOUND));
    ReadString(store, k.Root(), k.Path(), KEY_QUERY_VALUE | KEY_WOW64_64KEY, u"Where", &rc);
    EXPECT_EQ(rc, DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ReadString(store, k.Root(), k.Path(), KEY_QUERY_VALUE | KEY_WOW64_32KEY, u"Where"), u"wow");
    EXPECT_EQ(store.DeleteTree(k.Root(), k.Path(), KEY_WOW64_32KEY), ERROR_SUCCESS);
    ReadString(store, k.Root(), k.Path(), KEY_QUERY_VALUE | KEY_WOW64_32KEY, u"Where", &rc);
    EXPECT_EQ(rc, DWORD(ERROR_FILE_NOT_FOUND));

    EXPECT_EQ(platform::RegistryRootFromName(u"hklm"), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(platform::RegistryRootName(HKEY_CLASSES_ROOT), u"HKEY_CLASSES_ROOT");
}

std::wstring IdleProgram()
{
    const std::string path = TVU_BINARY_DIR "/tests/platform/win32/tvu-win32-idle.exe";
    return std::wstring(path.begin(), path.end());
}

TEST(Win32Processes, SnapshotFindsAndTerminatesItsOwnIdleCopies)
{
    TempFolder t;
    const std::wstring exe = t / L"TARVION.EXE";
    ASSERT_TRUE(::CopyFileW(IdleProgram().c_str(), exe.c_str(), FALSE));
    const int pid = platform::StartDetachedProcess(std::string(exe.begin(), exe.end()), {"an argument", "x\"y"});
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(platform::IsProcessRunning(pid));
    bool listed = false;
    for (const platform::ProcessEntry& p : platform::SnapshotProcesses())
        listed = listed || (p.pid == pid && p.exeFileName == u"TARVION.EXE");
    EXPECT_TRUE(listed);
    EXPECT_TRUE(platform::TerminateProcess(pid));
    EXPECT_FALSE(platform::IsProcessRunning(pid));
    EXPECT_FALSE(platform::TerminateProcess(int(::GetCurrentProcessId()))) << "never itself";
    EXPECT_EQ(platform::StartDetachedProcess(std::string(TVU_BINARY_DIR) + "/missing.exe", {}), -1);
}

TEST(Win32InstanceMarker, TheSecondClaimFindsTheFirst)
{
    const std::string name = "Global\\tvu-test-marker-" + std::to_string(::GetCurrentProcessId());
    platform::InstanceMarker first, second;
    EXPECT_EQ(first.Create(name), platform::MarkerState::Created);
    EXPECT_EQ(second.Create(name), platform::MarkerState::AlreadyExists);
    EXPECT_TRUE(first.IsHeld());
    EXPECT_FALSE(second.IsHeld());
    EXPECT_FALSE(platform::RaiseInstanceWindow(name, u"CMainWnd", u"no such window title here"));
}

TEST(Win32Environment, VariablesAndModulePath)
{
    ::SetEnvironmentVariableW(L"TVU_TEST_EMPTY", L"");
    ::SetEnvironmentVariableW(L"TVU_TEST_SET", L"wert-ä");
    std::u16string value;
    EXPECT_TRUE(platform::GetEnvironmentVariable(u"TVU_TEST_SET", value));
    EXPECT_EQ(value, u"wert-ä");
    EXPECT_TRUE(platform::GetEnvironmentVariable(u"TVU_TEST_EMPTY", value));
    EXPECT_EQ(value, u"");
    EXPECT_FALSE(platform::GetEnvironmentVariable(u"TVU_TEST_NEVER_SET", value));
    const std::u16string self = platform::GetModuleFileName();
    EXPECT_NE(self.find(u"test_platform_win32.exe"), std::u16string::npos);
}

TEST(Win32SharedLibrary, LoadsAndFindsExports)
{
    platform::SharedLibraryHandle library = platform::LoadSharedLibrary("kernel32.dll");
    ASSERT_NE(library, nullptr);
    EXPECT_NE(platform::FindLibrarySymbol(library, "GetTickCount"), nullptr);
    EXPECT_EQ(platform::FindLibrarySymbol(library, "CreateControl"), nullptr);
    platform::FreeSharedLibrary(library);
    EXPECT_EQ(platform::LoadSharedLibrary(tvtest::Joined(TVU_BINARY_DIR, "/no-such-plugin.dll")), nullptr);
}

TEST(Win32FileCopy, CopiesIntoAFreshPrivateFolderAndOverFiles)
{
    TempFolder t;
    t.Make({L"source.txt", L"target.txt"});
    EXPECT_EQ(platform::CopyFileReplacing(U(t / L"source.txt"), U(t / L"target.txt")), ERROR_SUCCESS);
    std::u16string copy;
    EXPECT_EQ(platform::CopyIntoPrivateFolder(U(t / L"source.txt"), U(t.Path()), u"uninstall.exe", copy),
              ERROR_SUCCESS);
    EXPECT_TRUE(Exists(W(copy)));
    EXPECT_NE(copy.find(platform::kPrivateFolderPrefix), std::u16string::npos);
    std::u16string other;
    EXPECT_EQ(platform::CopyIntoPrivateFolder(U(t / L"source.txt"), U(t.Path()), u"uninstall.exe", other),
              ERROR_SUCCESS);
    EXPECT_NE(copy, other);
    EXPECT_EQ(platform::CopyIntoPrivateFolder(U(t / L"source.txt"), U(t / L"missing"), u"u.exe", other),
              DWORD(ERROR_PATH_NOT_FOUND));
}

TEST(Win32TextFile, WritesThroughMissingFolders)
{
    TempFolder t;
    const std::wstring path = t / L"a\\b\\record.txt";
    EXPECT_EQ(platform::WriteFileReplacing(U(path), "one", platform::LinkPolicy::Refuse), ERROR_SUCCESS);
    EXPECT_EQ(platform::WriteFileReplacing(U(path), "two", platform::LinkPolicy::Refuse), ERROR_SUCCESS);
    EXPECT_EQ(platform::ReadFileBytes(U(path)), "two");
    EXPECT_EQ(platform::WriteFileReplacing(u"relative.txt", "x", platform::LinkPolicy::Follow),
              DWORD(ERROR_INVALID_PARAMETER));
    ASSERT_TRUE(MakeUnixLink(t / L"a", t / L"link"));
    EXPECT_EQ(platform::WriteFileReplacing(U(t / L"link\\r.txt"), "x", platform::LinkPolicy::Refuse),
              DWORD(ERROR_ACCESS_DENIED));
}

} // namespace
