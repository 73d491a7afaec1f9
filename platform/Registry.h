// The registry service: keys under the three roots, in a default and a 64-bit view, holding typed
// values. On Linux the store is one SQLite database chosen by TVU_REGISTRY (see docs/registry.md).
#pragma once

#include "platform/Win32Defs.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Registry vocabulary under the Win32 names and values
// ---------------------------------------------------------------------------------------------
// On Windows, windows.h (through Win32Defs.h) declares them with the same values.
#ifndef _WIN32
using HKEY = std::uintptr_t;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002;

constexpr DWORD KEY_QUERY_VALUE = 0x0001;
constexpr DWORD KEY_SET_VALUE = 0x0002;
constexpr DWORD KEY_CREATE_SUB_KEY = 0x0004;
constexpr DWORD KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr DWORD KEY_WOW64_64KEY = 0x0100;
constexpr DWORD KEY_WOW64_32KEY = 0x0200;
constexpr DWORD KEY_READ = 0x20019;
constexpr DWORD KEY_WRITE = 0x20006;
constexpr DWORD KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
#endif // _WIN32

namespace platform {

// Which of the two key trees of a root an access works on. The default view is what a program
// gets without asking; KEY_WOW64_64KEY in the access mask selects the 64-bit view.
enum class RegistryView
{
    Default = 0,
    Wow64_64 = 1,
};

RegistryView ViewFromAccess(DWORD access);

// One stored value as enumeration returns it. REG_SZ data is UTF-16LE with its terminating zero,
// REG_DWORD four little-endian bytes, exactly as the values are laid out on Windows.
struct RegistryValue
{
    std::u16string name;
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> data;
};

class RegistryStore;

// An open key: which key, in which view, with which access. Closing is dropping the object.
class RegistryKey
{
public:
    bool IsOpen() const { return m_id != 0; }
    HKEY Root() const { return m_root; }
    RegistryView View() const { return m_view; }
    const std::u16string& Path() const { return m_path; }

private:
    friend class RegistryStore;
    std::int64_t m_id = 0;
    HKEY m_root = 0;
    RegistryView m_view = RegistryView::Default;
    DWORD m_access = 0;
    std::u16string m_path;
};

// One registry database. Every operation is one SQLite transaction and returns a Win32 error
// code (ERROR_SUCCESS, ERROR_FILE_NOT_FOUND, ERROR_MORE_DATA, ERROR_ACCESS_DENIED, ERROR_BUSY when
// another writer holds the database past the wait limit, ERROR_INVALID_DATA for a damaged store).
// Key and value names compare ignoring ASCII case and keep the case they were created with.
// An object may be shared between threads; separate objects on one file may be used concurrently.
class RegistryStore
{
public:
    // The database TVU_REGISTRY names, else the documented default for this user.
    static std::string DefaultLocation();

    explicit RegistryStore(std::string path);
    ~RegistryStore();
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    const std::string& Location() const { return m_path; }

    // Opens an existing key. An empty subKey opens the root itself.
    DWORD OpenKey(HKEY root, std::u16string_view subKey, DWORD access, RegistryKey& key);
    // Opens a key, creating it and any missing parents (and the database file) first.
    DWORD CreateKey(HKEY root, std::u16string_view subKey, DWORD access, RegistryKey& key);

    // Reads one value. On entry *size is the capacity of data in bytes; on return it is the size
    // of the stored data. A value larger than the capacity gives ERROR_MORE_DATA and no data.
    // data may be null to ask for the size only.
    DWORD QueryValue(const RegistryKey& key, std::u16string_view name, DWORD* type, std::uint8_t* data, DWORD* size);
    DWORD SetValue(const RegistryKey& key, std::u16string_view name, DWORD type, const std::uint8_t* data, DWORD size);
    DWORD DeleteValue(const RegistryKey& key, std::u16string_view name);

    // Deletes the key with all its subkeys and values in the view the access selects, in one
    // transaction: either all of it goes or nothing does. The roots themselves cannot be deleted.
    DWORD DeleteTree(HKEY root, std::u16string_view subKey, DWORD access);

    // Direct subkey names and the values of an open key, in name order.
    DWORD EnumSubKeys(const RegistryKey& key, std::vector<std::u16string>& names);
    DWORD EnumValues(const RegistryKey& key, std::vector<RegistryValue>& values);

    // Convenience writers used by tools and tests.
    DWORD SetString(const RegistryKey& key, std::u16string_view name, std::u16string_view text);
    DWORD SetDword(const RegistryKey& key, std::u16string_view name, DWORD value);

private:
    class Connection;
    DWORD Connect(bool create);

    std::string m_path;
    std::mutex m_lock; // one operation at a time per object; SQLite arbitrates between objects
    std::unique_ptr<Connection> m_connection;
};

// Whether the store at path may be trusted by this process: always for an ordinary user; for root
// only when no user other than root could change the store file or any folder above it (or a link
// on the way). When not, why names the component and the reason.
bool RegistryStoreIsTrusted(const std::string& path, std::u16string& why);

// Whether root is one of the three roots the registry services know.
bool IsKnownRegistryRoot(HKEY root);
// The root's full Win32 name ("HKEY_LOCAL_MACHINE"), or an empty string for an unknown root.
std::u16string RegistryRootName(HKEY root);
// Parses "HKLM", "HKEY_LOCAL_MACHINE", "HKCU", "HKEY_CURRENT_USER", "HKCR", "HKEY_CLASSES_ROOT"
// (ignoring ASCII case); a null key for anything else.
HKEY RegistryRootFromName(std::u16string_view name);

} // namespace platform
