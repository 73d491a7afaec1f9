// The removal steps and the utilities they share with start-up.
#include "app/Removal.h"

#include "app/Manifest.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/TextEncoding.h"

#include <cstdint>
#include <vector>

namespace {

// Opens the key (default or 64-bit view) and reads the value into buffer, which holds twice the
// limit so that a string of exactly the limit is always followed by zeros.
DWORD QueryInto(platform::RegistryStore& store, HKEY root, std::u16string_view subKey, DWORD access,
                std::u16string_view valueName, DWORD kind, std::vector<std::uint8_t>& buffer)
{
    platform::RegistryKey key;
    if (DWORD rc = store.OpenKey(root, subKey, access, key); rc != ERROR_SUCCESS)
        return rc;
    DWORD type = kind;
    DWORD size = kRegistryValueLimit;
    return store.QueryValue(key, valueName, &type, buffer.data(), &size);
}

} // namespace

bool QueryRegistryValue(HKEY root, std::u16string_view subKey, std::u16string_view valueName, DWORD kind,
                        std::u16string& text)
{
    text.clear();
    platform::RegistryStore store(platform::RegistryStore::DefaultLocation());
    std::vector<std::uint8_t> buffer(2 * kRegistryValueLimit, 0);

    platform::RegistryKey key;
    if (store.OpenKey(root, subKey, KEY_QUERY_VALUE, key) != ERROR_SUCCESS)
        return false;
    DWORD type = kind;
    DWORD size = kRegistryValueLimit;
    DWORD rc = store.QueryValue(key, valueName, &type, buffer.data(), &size);
    if (rc == ERROR_FILE_NOT_FOUND) {
        // A value written by a 64-bit installer lives in the 64-bit view of the same key.
        rc = QueryInto(store, root, subKey, KEY_WOW64_64KEY | KEY_QUERY_VALUE, valueName, kind, buffer);
    }
    if (rc != ERROR_SUCCESS)
        return false;

    if (kind == REG_DWORD || kind == REG_BINARY) {
        const std::int32_t word = std::int32_t(std::uint32_t(buffer[0]) | std::uint32_t(buffer[1]) << 8 |
                                               std::uint32_t(buffer[2]) << 16 | std::uint32_t(buffer[3]) << 24);
        const std::string digits = std::to_string(word);
        text.assign(digits.begin(), digits.end());
    } else {
        for (std::size_t i = 0; i + 1 < buffer.size(); i += 2) {
            const char16_t c = char16_t(buffer[i] | buffer[i + 1] << 8);
            if (c == 0)
                break;
            text.push_back(c);
        }
    }
    return true;
}

std::u16string GetInstallDirectory()
{
    std::u16string uninstaller;
    if (!QueryRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, kUninstallStringValue, REG_SZ, uninstaller))
        return {};
    return GetDirectoryPart(uninstaller);
}

std::u16string GetDirectoryPart(std::u16string_view path)
{
    const std::size_t last = path.find_last_of(u"/\\");
    if (last == std::u16string_view::npos)
        return std::u16string(path);
    return std::u16string(path.substr(0, last + 1));
}

std::u16string Utf8ToWide(std::string_view text)
{
    const std::size_t zero = text.find('\0');
    if (zero != std::string_view::npos)
        text = text.substr(0, zero);
    return platform::Utf8ToUtf16(text);
}

bool DeleteRegistryTree(HKEY root, std::u16string_view subKey)
{
    platform::RegistryStore store(platform::RegistryStore::DefaultLocation());
    return store.DeleteTree(root, subKey, 0) == ERROR_SUCCESS;
}

bool RemoveListedFiles(const std::atomic<bool>* stopRequested)
{
    const std::u16string dir = GetInstallDirectory();
    // Names are only ever resolved below a known, absolute installation directory that is not
    // the file-system root; otherwise they would land in the working directory or at the root.
    platform::ConfinedDirectory install;
    if (!install.Open(dir))
        return true;

    const std::string text = platform::ReadFileBytes(dir + std::u16string(kManifestFileName));
    for (const std::string& name : ReadManifestNames(text)) {
        if (stopRequested != nullptr && stopRequested->load())
            return true;
        // Absolute names, ".." and links leading outside are refused inside; the loop goes on.
        // A well-formed name without a zero byte converts to UTF-16 and back unchanged, so it is
        // used as it is; any other goes through the conversion that fixes its meaning.
        if (name.find('\0') == std::string::npos && platform::IsValidUtf8(name))
            install.DeleteBelowUtf8(name);
        else
            install.DeleteBelow(Utf8ToWide(name));
    }
    if (stopRequested != nullptr && stopRequested->load())
        return true;
    if (platform::IsDirectoryEmpty(dir))
        platform::ShellDeletePath(dir);
    return true;
}

bool RemoveRecordedShortcut()
{
    std::u16string shortcut;
    if (QueryRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, kDisplayShortcutValue, REG_SZ, shortcut)) {
        // A shortcut is a file: a value naming a folder must not take the folder with it.
        platform::DeleteFile(shortcut);
    }
    return true;
}

bool RemoveRegistryKeys()
{
    const bool removed = DeleteRegistryTree(HKEY_LOCAL_MACHINE, kUninstallKey);
    DeleteRegistryTree(HKEY_CURRENT_USER, kProductKey);
    DeleteRegistryTree(HKEY_CLASSES_ROOT, kProductKey);
    return removed;
}

void RemoveStartMenuEntries()
{
    std::u16string startMenu;
    if (!platform::GetStartMenuFolder(startMenu))
        return;
    const std::u16string folder = startMenu + u"\\" + std::u16string(kProductWord);
    platform::DeleteFile(folder + u"\\" + std::u16string(kProductWord) + u".lnk");
    platform::DeleteFile(folder + u"\\Remove " + std::u16string(kProductWord) + u".lnk");
    platform::RemoveDirectory(folder);
}
