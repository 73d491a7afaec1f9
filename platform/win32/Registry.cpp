// The registry service over the system's own registry. A store object owns the key handles it
// opens (a RegistryKey only names one) and closes them when it goes; the location is not used.
#include "platform/Registry.h"

#include "platform/TextEncoding.h"
#include "platform/Win32Defs.h"

#include <shlwapi.h>

#include <map>

namespace platform {

class RegistryStore::Connection
{
public:
    ~Connection()
    {
        for (auto& [id, handle] : handles)
            ::RegCloseKey(handle);
    }

    std::map<std::int64_t, HKEY> handles;
    std::int64_t nextId = 1;
};

namespace {

// The key path as the registry takes it: '/' is an ordinary character in key names, so only
// separators doubled or at the ends are dropped.
std::wstring KeyPath(std::u16string_view subKey)
{
    std::wstring path;
    for (char16_t c : subKey) {
        if (c == u'\\' && (path.empty() || path.back() == L'\\'))
            continue;
        path.push_back(wchar_t(c));
    }
    while (!path.empty() && path.back() == L'\\')
        path.pop_back();
    return path;
}

// The handle a key stands for in this store, or null.
HKEY Find(std::mutex& lock, const std::map<std::int64_t, HKEY>& handles, std::int64_t id)
{
    std::lock_guard guard(lock);
    const auto it = handles.find(id);
    return it == handles.end() ? nullptr : it->second;
}

std::wstring ValueName(std::u16string_view name)
{
    return std::wstring(name.begin(), name.end());
}

} // namespace

RegistryView ViewFromAccess(DWORD access)
{
    return (access & KEY_WOW64_64KEY) ? RegistryView::Wow64_64 : RegistryView::Default;
}

std::string RegistryStore::DefaultLocation()
{
    return "registry";
}

RegistryStore::RegistryStore(std::string path) : m_path(std::move(path)), m_connection(std::make_unique<Connection>())
{
}

RegistryStore::~RegistryStore() = default;

DWORD RegistryStore::OpenKey(HKEY root, std::u16string_view subKey, DWORD access, RegistryKey& key)
{
    key = RegistryKey();
    if (!IsKnownRegistryRoot(root))
        return ERROR_INVALID_PARAMETER;
    const std::wstring path = KeyPath(subKey);
    HKEY handle = nullptr;
    const LONG rc = ::RegOpenKeyExW(root, path.c_str(), 0, access, &handle);
    if (rc != ERROR_SUCCESS)
        return DWORD(rc);
    std::lock_guard guard(m_lock);
    const std::int64_t id = m_connection->nextId++;
    m_connection->handles.emplace(id, handle);
    key.m_id = id;
    key.m_root = root;
    key.m_view = ViewFromAccess(access);
    key.m_access = access;
    key.m_path.assign(path.begin(), path.end());
    return ERROR_SUCCESS;
}

DWORD RegistryStore::CreateKey(HKEY root, std::u16string_view subKey, DWORD access, RegistryKey& key)
{
    key = RegistryKey();
    if (!IsKnownRegistryRoot(root))
        return ERROR_INVALID_PARAMETER;
    const std::wstring path = KeyPath(subKey);
    HKEY handle = nullptr;
    const LONG rc =
        ::RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &handle, nullptr);
    if (rc != ERROR_SUCCESS)
        return DWORD(rc);
    ::RegCloseKey(handle);
    // Opened again as any key is, so that the store holds it like the others.
    return OpenKey(root, subKey, access, key);
}

DWORD RegistryStore::QueryValue(const RegistryKey& key, std::u16string_view name, DWORD* type, std::uint8_t* data,
                                DWORD* size)
{
    const HKEY handle = Find(m_lock, m_connection->handles, key.m_id);
    if (handle == nullptr)
        return ERROR_INVALID_HANDLE;
    const std::wstring value = ValueName(name);
    DWORD capacity = size != nullptr ? *size : 0;
    const LONG rc = ::RegQueryValueExW(handle, value.c_str(), nullptr, type, data, size);
    if (rc == ERROR_MORE_DATA && data != nullptr && capacity > 0)
        std::fill(data, data + capacity, std::uint8_t(0)); // no partial data
    return DWORD(rc);
}

DWORD RegistryStore::SetValue(const RegistryKey& key, std::u16string_view name, DWORD type, const std::uint8_t* data,
                              DWORD size)
{
    const HKEY handle = Find(m_lock, m_connection->handles, key.m_id);
    if (handle == nullptr)
        return ERROR_INVALID_HANDLE;
    const std::wstring value = ValueName(name);
    return DWORD(::RegSetValueExW(handle, value.c_str(), 0, type, data, size));
}

DWORD RegistryStore::DeleteValue(const RegistryKey& key, std::u16string_view name)
{
    const HKEY handle = Find(m_lock, m_connection->handles, key.m_id);
    if (handle == nullptr)
        return ERROR_INVALID_HANDLE;
    const std::wstring value = ValueName(name);
    return DWORD(::RegDeleteValueW(handle, value.c_str()));
}

DWORD RegistryStore::DeleteTree(HKEY root, std::u16string_view subKey, DWORD access)
{
    if (!IsKnownRegistryRoot(root))
        return ERROR_INVALID_PARAMETER;
    const std::wstring path = KeyPath(subKey);
    if (path.empty())
        return ERROR_ACCESS_DENIED;
    if ((access & (KEY_WOW64_64KEY | KEY_WOW64_32KEY)) == 0) {
        // The default view: the shell's recursive delete.
        return DWORD(::SHDeleteKeyW(root, path.c_str()));
    }
    // A chosen view: the parent is opened in that view and the tree deleted below it.
    const std::size_t slash = path.rfind(L'\\');
    const std::wstring parentPath = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
    const std::wstring leaf = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const REGSAM view = access & (KEY_WOW64_64KEY | KEY_WOW64_32KEY);
    HKEY parent = nullptr;
    LONG rc = ::RegOpenKeyExW(root, parentPath.c_str(), 0, KEY_ALL_ACCESS | view, &parent);
    if (rc != ERROR_SUCCESS)
        return DWORD(rc);
    HKEY probe = nullptr;
    rc = ::RegOpenKeyExW(parent, leaf.c_str(), 0, KEY_READ | view, &probe);
    if (rc == ERROR_SUCCESS) {
        ::RegCloseKey(probe);
        rc = ::RegDeleteTreeW(parent, leaf.c_str()); // the key itself goes with its subkeys
    }
    ::RegCloseKey(parent);
    return DWORD(rc);
}

DWORD RegistryStore::EnumSubKeys(const RegistryKey& key, std::vector<std::u16string>& names)
{
    names.clear();
    const HKEY handle = Find(m_lock, m_connection->handles, key.m_id);
    if (handle == nullptr)
        return ERROR_INVALID_HANDLE;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD length = 256;
        const LONG rc = ::RegEnumKeyExW(handle, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc != ERROR_SUCCESS)
            return DWORD(rc);
        names.emplace_back(name, name + length);
    }
    return ERROR_SUCCESS;
}

DWORD RegistryStore::EnumValues(const RegistryKey& key, std::vector<RegistryValue>& values)
{
    values.clear();
    const HKEY handle = Find(m_lock, m_connection->handles, key.m_id);
    if (handle == nullptr)
        return ERROR_INVALID_HANDLE;
    DWORD longestName = 0, longestData = 0;
    if (LONG rc = ::RegQueryInfoKeyW(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                     &longestName, &longestData, nullptr, nullptr);
        rc != ERROR_SUCCESS)
        return DWORD(rc);
    std::wstring name(longestName + 1, L'\0');
    std::vector<std::uint8_t> data(longestData + 1);
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = DWORD(name.size());
        DWORD dataSize = DWORD(data.size());
        DWORD type = REG_NONE;
        const LONG rc =
            ::RegEnumValueW(handle, index, name.data(), &nameLength, nullptr, &type, data.data(), &dataSize);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc != ERROR_SUCCESS)
            return DWORD(rc);
        RegistryValue value;
        value.name.assign(name.begin(), name.begin() + nameLength);
        value.type = type;
        value.data.assign(data.begin(), data.begin() + dataSize);
        values.push_back(std::move(value));
    }
    return ERROR_SUCCESS;
}

DWORD RegistryStore::SetString(const RegistryKey& key, std::u16string_view name, std::u16string_view text)
{
    std::u16string terminated(text);
    terminated.push_back(u'\0');
    return SetValue(key, name, REG_SZ, reinterpret_cast<const std::uint8_t*>(terminated.data()),
                    DWORD(terminated.size() * sizeof(char16_t)));
}

DWORD RegistryStore::SetDword(const RegistryKey& key, std::u16string_view name, DWORD value)
{
    const std::uint8_t bytes[4] = {std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16),
                                   std::uint8_t(value >> 24)};
    return SetValue(key, name, REG_DWORD, bytes, 4);
}

bool RegistryStoreIsTrusted(const std::string&, std::u16string& why)
{
    // The system's registry guards its keys with their own access lists.
    why.clear();
    return true;
}

} // namespace platform
