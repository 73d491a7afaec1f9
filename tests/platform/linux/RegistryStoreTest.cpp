// The SQLite registry store: keys and views, values and their limits, recursive deletion in one
// transaction, damaged and locked databases, and concurrent use.
#include "platform/Registry.h"

#include "tests/app/TestSandbox.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <thread>

using namespace tvu_test;
using platform::RegistryKey;
using platform::RegistryStore;

namespace {

class RegistryStoreTest : public ::testing::Test
{
protected:
    std::string Db() const { return (m_sandbox.Dir() / "reg.db").string(); }

    RegistryKey Create(RegistryStore& store, HKEY root, std::u16string_view path, DWORD view = 0)
    {
        RegistryKey key;
        EXPECT_EQ(store.CreateKey(root, path, KEY_ALL_ACCESS | view, key), ERROR_SUCCESS);
        return key;
    }

    std::u16string ReadString(RegistryStore& store, HKEY root, std::u16string_view path, std::u16string_view name,
                              DWORD view = 0)
    {
        RegistryKey key;
        if (store.OpenKey(root, path, KEY_QUERY_VALUE | view, key) != ERROR_SUCCESS)
            return u"<no key>";
        std::uint8_t data[256] = {};
        DWORD size = sizeof data, type = 0;
        if (store.QueryValue(key, name, &type, data, &size) != ERROR_SUCCESS)
            return u"<no value>";
        std::u16string text;
        for (DWORD i = 0; i + 1 < size && (data[i] | data[i + 1]); i += 2)
            text.push_back(char16_t(data[i] | data[i + 1] << 8));
        return text;
    }

    Sandbox m_sandbox;
};

} // namespace

TEST_F(RegistryStoreTest, KeysAreCaseInsensitivePerRootAndView)
{
    RegistryStore store(Db());
    RegistryKey key = Create(store, HKEY_LOCAL_MACHINE, u"SOFTWARE\\Tarvion VPN");
    EXPECT_EQ(store.SetString(key, u"Path", u"/opt/t\u00e9"), ERROR_SUCCESS);

    EXPECT_EQ(ReadString(store, HKEY_LOCAL_MACHINE, u"software\\TARVION vpn", u"PATH"), u"/opt/t\u00e9");
    EXPECT_EQ(ReadString(store, HKEY_LOCAL_MACHINE, u"\\SOFTWARE\\\\Tarvion VPN\\", u"Path"), u"/opt/t\u00e9");
    EXPECT_EQ(ReadString(store, HKEY_CURRENT_USER, u"SOFTWARE\\Tarvion VPN", u"Path"), u"<no key>");
    EXPECT_EQ(ReadString(store, HKEY_LOCAL_MACHINE, u"SOFTWARE\\Tarvion VPN", u"Path", KEY_WOW64_64KEY), u"<no key>");
    // Parents exist and keep the case they were created with; re-creating keeps it too.
    RegistryKey parent;
    EXPECT_EQ(store.OpenKey(HKEY_LOCAL_MACHINE, u"software", KEY_READ, parent), ERROR_SUCCESS);
    EXPECT_EQ(parent.Path(), u"SOFTWARE");
    Create(store, HKEY_LOCAL_MACHINE, u"software\\tarvion vpn\\Sub");
    std::vector<std::u16string> names;
    EXPECT_EQ(store.EnumSubKeys(parent, names), ERROR_SUCCESS);
    EXPECT_EQ(names, std::vector<std::u16string>{u"Tarvion VPN"});
    EXPECT_EQ(store.OpenKey(0x1234, u"SOFTWARE", KEY_READ, parent), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryStoreTest, ValuesKeepTheirTypeAndSizeAndRespectTheCapacity)
{
    RegistryStore store(Db());
    RegistryKey key = Create(store, HKEY_CURRENT_USER, u"Software\\T");
    EXPECT_EQ(store.SetDword(key, u"D", 0x01020304), ERROR_SUCCESS);
    const std::uint8_t blob[] = {9, 8, 7};
    EXPECT_EQ(store.SetValue(key, u"B", REG_BINARY, blob, 3), ERROR_SUCCESS);
    EXPECT_EQ(store.SetValue(key, u"Empty", REG_BINARY, nullptr, 0), ERROR_SUCCESS);

    std::uint8_t data[8] = {};
    DWORD type = 0, size = sizeof data;
    EXPECT_EQ(store.QueryValue(key, u"d", &type, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(data[0], 4);
    EXPECT_EQ(data[3], 1);
    size = 2;
    EXPECT_EQ(store.QueryValue(key, u"B", &type, data, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 3u);
    size = 0;
    EXPECT_EQ(store.QueryValue(key, u"B", &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 3u);
    size = sizeof data;
    EXPECT_EQ(store.QueryValue(key, u"Empty", &type, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(store.QueryValue(key, u"None", &type, data, &size), ERROR_FILE_NOT_FOUND);

    EXPECT_EQ(store.DeleteValue(key, u"B"), ERROR_SUCCESS);
    EXPECT_EQ(store.DeleteValue(key, u"B"), ERROR_FILE_NOT_FOUND);
    std::vector<platform::RegistryValue> values;
    EXPECT_EQ(store.EnumValues(key, values), ERROR_SUCCESS);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].name, u"D");

    // The access asked for at open time is enforced.
    RegistryKey readOnly;
    ASSERT_EQ(store.OpenKey(HKEY_CURRENT_USER, u"Software\\T", KEY_QUERY_VALUE, readOnly), ERROR_SUCCESS);
    EXPECT_EQ(store.SetDword(readOnly, u"D", 1), ERROR_ACCESS_DENIED);
    std::vector<std::u16string> names;
    EXPECT_EQ(store.EnumSubKeys(readOnly, names), ERROR_ACCESS_DENIED);
}

TEST_F(RegistryStoreTest, DeleteTreeTakesTheWholeSubtreeOfOneViewOnly)
{
    RegistryStore store(Db());
    RegistryKey a = Create(store, HKEY_CURRENT_USER, u"Software\\Tarvion VPN\\Settings\\Deep");
    store.SetDword(a, u"X", 1);
    RegistryKey b = Create(store, HKEY_CURRENT_USER, u"Software\\Tarvion VPN2");
    store.SetDword(b, u"Keep", 1);
    Create(store, HKEY_CURRENT_USER, u"Software\\Tarvion VPN]");
    Create(store, HKEY_CURRENT_USER, u"Software\\Tarvion VPN", KEY_WOW64_64KEY);
    Create(store, HKEY_CLASSES_ROOT, u"Software\\Tarvion VPN");

    EXPECT_EQ(store.DeleteTree(HKEY_CURRENT_USER, u"SOFTWARE\\tarvion vpn", 0), ERROR_SUCCESS);
    RegistryKey k;
    EXPECT_EQ(store.OpenKey(HKEY_CURRENT_USER, u"Software\\Tarvion VPN\\Settings\\Deep", KEY_READ, k),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(store.OpenKey(HKEY_CURRENT_USER, u"Software\\Tarvion VPN2", KEY_READ, k), ERROR_SUCCESS);
    EXPECT_EQ(store.OpenKey(HKEY_CURRENT_USER, u"Software\\Tarvion VPN]", KEY_READ, k), ERROR_SUCCESS);
    EXPECT_EQ(store.OpenKey(HKEY_CURRENT_USER, u"Software\\Tarvion VPN", KEY_READ | KEY_WOW64_64KEY, k), ERROR_SUCCESS);
    EXPECT_EQ(store.OpenKey(HKEY_CLASSES_ROOT, u"Software\\Tarvion VPN", KEY_READ, k), ERROR_SUCCESS);
    // The deleted key's handle no longer reaches any value.
    DWORD size = 0;
    EXPECT_EQ(store.QueryValue(a, u"X", nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(store.SetDword(a, u"X", 2), ERROR_FILE_NOT_FOUND);

    EXPECT_EQ(store.DeleteTree(HKEY_CURRENT_USER, u"Software\\Tarvion VPN", 0), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(store.DeleteTree(HKEY_CURRENT_USER, u"", 0), ERROR_ACCESS_DENIED);
    EXPECT_EQ(store.DeleteTree(HKEY_CURRENT_USER, u"\\", 0), ERROR_ACCESS_DENIED);
}

TEST_F(RegistryStoreTest, MissingOrDamagedDatabaseFailsCleanly)
{
    {
        RegistryStore store(Db());
        RegistryKey key;
        EXPECT_EQ(store.OpenKey(HKEY_LOCAL_MACHINE, u"SOFTWARE", KEY_READ, key), ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(store.DeleteTree(HKEY_LOCAL_MACHINE, u"SOFTWARE", 0), ERROR_FILE_NOT_FOUND);
        EXPECT_FALSE(fs::exists(Db())); // reading never creates the store
    }
    WriteText(Db(), std::string(4096, 'x'));
    RegistryStore store(Db());
    RegistryKey key;
    EXPECT_EQ(store.OpenKey(HKEY_LOCAL_MACHINE, u"SOFTWARE", KEY_READ, key), ERROR_INVALID_DATA);
    EXPECT_EQ(store.CreateKey(HKEY_LOCAL_MACHINE, u"SOFTWARE", KEY_ALL_ACCESS, key), ERROR_INVALID_DATA);
}

TEST_F(RegistryStoreTest, LockedDatabaseGivesBusyButReadersGoOn)
{
    {
        RegistryStore store(Db());
        RegistryKey key = Create(store, HKEY_LOCAL_MACHINE, u"SOFTWARE\\T");
        store.SetDword(key, u"V", 5);
    }
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(Db().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

    RegistryStore store(Db());
    RegistryKey key;
    ASSERT_EQ(store.OpenKey(HKEY_LOCAL_MACHINE, u"SOFTWARE\\T", KEY_ALL_ACCESS, key), ERROR_SUCCESS);
    std::uint8_t data[4];
    DWORD size = 4;
    EXPECT_EQ(store.QueryValue(key, u"V", nullptr, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(store.DeleteTree(HKEY_LOCAL_MACHINE, u"SOFTWARE\\T", 0), ERROR_BUSY);
    EXPECT_EQ(store.SetDword(key, u"V", 6), ERROR_BUSY);

    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(store.DeleteTree(HKEY_LOCAL_MACHINE, u"SOFTWARE\\T", 0), ERROR_SUCCESS);
}

TEST_F(RegistryStoreTest, ConcurrentWritersAndReadersAllSucceed)
{
    {
        RegistryStore store(Db());
        Create(store, HKEY_CURRENT_USER, u"Software");
    }
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    RegistryStore shared(Db());
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            RegistryStore own(Db());
            for (int i = 0; i < 25; ++i) {
                RegistryStore& store = i % 2 ? own : shared;
                RegistryKey key;
                std::u16string path = u"Software\\W", name = u"N";
                path.push_back(char16_t(u'0' + t));
                name.push_back(char16_t(u'a' + i));
                if (store.CreateKey(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS, key) != ERROR_SUCCESS ||
                    store.SetDword(key, name, DWORD(i)) != ERROR_SUCCESS)
                    ++failures;
                RegistryKey read;
                if (store.OpenKey(HKEY_CURRENT_USER, u"Software", KEY_READ, read) != ERROR_SUCCESS)
                    ++failures;
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(failures, 0);
    RegistryStore store(Db());
    RegistryKey key;
    ASSERT_EQ(store.OpenKey(HKEY_CURRENT_USER, u"Software\\W3", KEY_READ, key), ERROR_SUCCESS);
    std::vector<platform::RegistryValue> values;
    store.EnumValues(key, values);
    EXPECT_EQ(values.size(), 25u);
}

TEST(RegistryLocation, EnvironmentVariableWinsThenTheDocumentedDefaults)
{
    setenv("TVU_REGISTRY", "/somewhere/reg.db", 1);
    EXPECT_EQ(RegistryStore::DefaultLocation(), "/somewhere/reg.db");
    unsetenv("TVU_REGISTRY");
    setenv("XDG_STATE_HOME", "/state", 1);
    setenv("HOME", "/home/u", 1);
    const std::string location = RegistryStore::DefaultLocation();
    EXPECT_TRUE(location == "/var/lib/tarvion/registry.db" || location == "/state/tarvion/registry.db") << location;
    EXPECT_EQ(platform::RegistryRootFromName(u"hklm"), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(platform::RegistryRootFromName(u"HKEY_CLASSES_ROOT"), HKEY_CLASSES_ROOT);
    EXPECT_EQ(platform::RegistryRootFromName(u"HKU"), 0u);
}
