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

namespace {

std::u16string Decimal(unsigned long value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

std::u16string KeyName(HKEY root, std::u16string_view subKey)
{
    return platform::RegistryRootName(root) + u"\\" + std::u16string(subKey);
}

// Whether the store accepts a write to the uninstall key, found by writing "UninstallString" back
// unchanged: the uninstaller must not be deleted while its registration could not be.
bool RegistrationWritable()
{
    platform::RegistryStore store(platform::RegistryStore::DefaultLocation());
    platform::RegistryKey key;
    if (store.OpenKey(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_QUERY_VALUE | KEY_SET_VALUE, key) != ERROR_SUCCESS)
        return false;
    std::vector<std::uint8_t> data(kRegistryValueLimit);
    DWORD type = REG_SZ;
    DWORD size = DWORD(data.size());
    if (store.QueryValue(key, kUninstallStringValue, &type, data.data(), &size) != ERROR_SUCCESS)
        return false;
    return store.SetValue(key, kUninstallStringValue, type, data.data(), size) == ERROR_SUCCESS;
}

// One listed entry as it is used on disk: a well-formed name without a zero byte converts to
// UTF-16 and back unchanged, so it is used as it is (no copy); any other goes through the
// conversion that fixes its meaning, into converted.
const std::string& OnDiskName(const std::string& name, std::string& converted)
{
    if (name.find('\0') == std::string::npos && platform::IsValidUtf8(name))
        return name;
    converted = platform::Utf16ToUtf8(Utf8ToWide(name));
    return converted;
}

// The report's path of a listed entry: the folder and the name, built in one allocation for the
// plain ASCII names installers mostly write.
std::u16string EntryPath(const std::u16string& dir, const std::string& name)
{
    std::u16string path;
    path.reserve(dir.size() + name.size());
    path = dir;
    for (const char c : name) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            path.resize(dir.size());
            path += platform::Utf8ToUtf16(name);
            return path;
        }
        path.push_back(char16_t(c));
    }
    return path;
}

// Deletes one listed entry and notes what became of it: removed, left behind, or not there.
void DeleteListed(platform::ConfinedDirectory& install, const std::u16string& dir, const std::string& name,
                  RemovalReport& report)
{
    if (install.DeleteBelowUtf8(name) == 0)
        report.removed.push_back(EntryPath(dir, name));
    else if (install.ExistsBelowUtf8(name))
        report.leftBehind.push_back(EntryPath(dir, name));
}

void NoteIfPresent(platform::ConfinedDirectory& install, const std::u16string& dir, const std::string& name,
                   RemovalReport& report)
{
    if (install.ExistsBelowUtf8(name))
        report.leftBehind.push_back(EntryPath(dir, name));
}

} // namespace

DeferredInstallerEntries::DeferredInstallerEntries() = default;
DeferredInstallerEntries::~DeferredInstallerEntries() = default;

void FinishDeferredEntries(DeferredInstallerEntries& deferred, DeferredFate fate, RemovalReport& r)
{
    if (deferred.install == nullptr)
        return;
    platform::ConfinedDirectory& install = *deferred.install;
    if (!deferred.names.empty()) {
        bool keep = fate == DeferredFate::Keep || !r.leftBehind.empty() || !r.problems.empty();
        if (!keep && !RegistrationWritable()) {
            r.problems.push_back(u"The registry store cannot be changed, so the uninstaller was kept.");
            keep = true;
        }
        for (const std::string& name : deferred.names) {
            if (keep)
                NoteIfPresent(install, deferred.dir, name, r);
            else
                DeleteListed(install, deferred.dir, name, r);
        }
    }
    if (fate != DeferredFate::Keep && install.RemoveSelfIfEmpty() == 0)
        r.removed.push_back(deferred.dir);
    deferred.install.reset();
    deferred.names.clear();
}

bool RemoveListedFiles(const std::atomic<bool>* stopRequested, RemovalReport* report,
                       DeferredInstallerEntries* deferred)
{
    RemovalReport unused;
    RemovalReport& r = report != nullptr ? *report : unused;
    const auto stopped = [stopRequested] { return stopRequested != nullptr && stopRequested->load(); };

    std::u16string uninstaller;
    if (!QueryRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, kUninstallStringValue, REG_SZ, uninstaller)) {
        r.problems.push_back(u"The uninstall registration could not be read, so the installation folder is unknown.");
        return true;
    }
    const std::u16string dir = GetDirectoryPart(uninstaller);
    // Names are only ever resolved below a known, absolute installation directory that is not
    // the file-system root; otherwise they would land in the working directory or at the root.
    // The folder is opened once: the manifest and every entry are reached through that descriptor.
    auto opened = std::make_unique<platform::ConfinedDirectory>();
    platform::ConfinedDirectory& install = *opened;
    if (!install.Open(dir)) {
        // A folder that is not there any more holds nothing listed; any other failure is told.
        if (dir.empty() || platform::FileExists(dir))
            r.problems.push_back(u"The installation folder " + dir + u" could not be opened.");
        return true;
    }
    // A folder that another user could change (or a link on the way to it) could be pointed at
    // anybody's files: nothing is removed. Judged on what was opened, so that no swap between the
    // check and the opening counts.
    std::u16string why;
    if (!install.IsTrusted(why)) {
        r.problems.push_back(u"The installation folder " + dir + u" can be changed by another user (" + why +
                             u"), so nothing was removed.");
        return true;
    }

    std::string text;
    const int readError = install.ReadFileBelow("uninstall.dat", kManifestSizeLimit, text);
    std::vector<std::string> names;
    if (readError == ERROR_FILE_TOO_LARGE) {
        r.problems.push_back(u"The manifest " + dir + std::u16string(kManifestFileName) +
                             u" is larger than 64 MiB and was not read.");
    } else if (readError != 0) {
        r.problems.push_back(u"The manifest " + dir + std::u16string(kManifestFileName) +
                             u" could not be read (error " + Decimal(unsigned(readError)) + u").");
    } else if (!ParseManifestNames(text, names)) {
        r.problems.push_back(u"The manifest " + dir + std::u16string(kManifestFileName) +
                             (names.empty() ? u" is not a valid list; nothing it names was removed."
                                            : u" is malformed after its entry " + Decimal(names.size()) +
                                                  u"; only the entries before that were removed."));
    }
    text = std::string();

    // The uninstaller and the manifest are what a later run needs: they are kept for the end.
    const std::string uninstallerName = platform::Utf16ToUtf8(std::u16string_view(uninstaller).substr(dir.size()));
    // Each name is first settled without touching the disk: the form it has there, and whether it
    // is refused, kept for the end, or deleted. The deletions then run as one list, and the report
    // is written from their outcomes in the manifest's order.
    enum class Kind : unsigned char
    {
        Refused,
        Deferred,
        Deleted,
    };
    std::vector<Kind> kinds(names.size(), Kind::Deleted);
    std::vector<std::string_view> deleted;
    deleted.reserve(names.size());
    std::string converted, normalized;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (&OnDiskName(names[i], converted) == &converted)
            names[i].swap(converted);
        // Absolute names, ".." and links leading outside are refused; the list goes on.
        if (!platform::ConfinedDirectory::NormalizeUtf8(names[i], normalized))
            kinds[i] = Kind::Refused;
        else if (normalized == "uninstall.dat" || (!uninstallerName.empty() && normalized == uninstallerName))
            kinds[i] = Kind::Deferred;
        else
            deleted.push_back(names[i]);
    }
    std::vector<platform::ConfinedDirectory::Outcome> outcomes;
    install.DeleteEachBelowUtf8(deleted, stopRequested, outcomes);

    // A stop takes effect after the last name tried before the first one left untried.
    using Outcome = platform::ConfinedDirectory::Outcome;
    std::size_t stopAt = names.size();
    bool stoppedEarly = false;
    for (std::size_t i = 0, k = 0, lastTried = 0; i < names.size(); ++i) {
        if (kinds[i] != Kind::Deleted)
            continue;
        if (outcomes[k++] == Outcome::NotTried) {
            stopAt = lastTried;
            stoppedEarly = true;
            break;
        }
        lastTried = i + 1;
    }

    std::vector<std::string> lastOnes;
    // Every listed name that goes is one path in the report: room for them all is made at once.
    r.removed.reserve(r.removed.size() + deleted.size() + 1);
    const auto noteOutcome = [&](const std::string& name, Outcome outcome) {
        if (outcome == Outcome::Removed)
            r.removed.push_back(EntryPath(dir, name));
        else if (outcome == Outcome::LeftBehind)
            r.leftBehind.push_back(EntryPath(dir, name));
    };
    std::size_t k = 0;
    for (std::size_t i = 0; i < stopAt; ++i) {
        if (kinds[i] == Kind::Refused)
            r.problems.push_back(u"The manifest names " + platform::Utf8ToUtf16(names[i]) +
                                 u", which lies outside the installation folder; it was not removed.");
        else if (kinds[i] == Kind::Deferred)
            lastOnes.push_back(std::move(names[i]));
        else
            noteOutcome(names[i], outcomes[k++]);
    }
    if (stoppedEarly) {
        for (std::size_t j = stopAt; j < names.size(); ++j) {
            // A name the other thread had already handled is told as it went.
            const bool tried = kinds[j] == Kind::Deleted && outcomes[k++] != Outcome::NotTried;
            if (tried)
                noteOutcome(names[j], outcomes[k - 1]);
            else
                NoteIfPresent(install, dir, names[j], r);
        }
        for (const std::string& name : lastOnes)
            NoteIfPresent(install, dir, name, r);
        return true;
    }
    if (stopped()) {
        for (const std::string& name : lastOnes)
            NoteIfPresent(install, dir, name, r);
        return true;
    }

    DeferredInstallerEntries local;
    DeferredInstallerEntries& last = deferred != nullptr ? *deferred : local;
    last.install = std::move(opened);
    last.dir = dir;
    last.names = std::move(lastOnes);
    if (deferred == nullptr)
        FinishDeferredEntries(last, DeferredFate::RemoveIfAllElseWent, r);
    return true;
}

namespace {

// A path as the person knows it on this system, for the report.
std::u16string Shown(std::u16string_view path)
{
    return platform::Utf8ToUtf16(platform::NativePath(path));
}

// Deletes one file or link at a fixed path and notes what became of it.
void DeleteNamedFile(const std::u16string& path, RemovalReport& report)
{
    if (platform::DeleteFile(path))
        report.removed.push_back(Shown(path));
    else if (platform::FileExists(path))
        report.leftBehind.push_back(Shown(path));
}

bool StartMenuFolder(std::u16string& folder)
{
    std::u16string startMenu;
    if (!platform::GetStartMenuFolder(startMenu))
        return false;
    folder = startMenu + u"\\" + std::u16string(kProductWord);
    return true;
}

std::u16string StartMenuLink(const std::u16string& folder, bool remove)
{
    return folder + (remove ? u"\\Remove " : u"\\") + std::u16string(kProductWord) + u".lnk";
}

// Deletes a key tree and notes the outcome; false when it is still there.
bool DeleteKeyNoting(platform::RegistryStore& store, HKEY root, std::u16string_view subKey, RemovalReport& report)
{
    const DWORD rc = store.DeleteTree(root, subKey, 0);
    if (rc == ERROR_SUCCESS) {
        report.removed.push_back(KeyName(root, subKey));
        return true;
    }
    if (rc == ERROR_FILE_NOT_FOUND)
        return true;
    report.leftBehind.push_back(KeyName(root, subKey));
    report.problems.push_back(u"The registry key " + KeyName(root, subKey) + u" could not be deleted (error " +
                              Decimal(rc) + u").");
    return false;
}

bool KeyExists(platform::RegistryStore& store, HKEY root, std::u16string_view subKey)
{
    platform::RegistryKey key;
    return store.OpenKey(root, subKey, KEY_QUERY_VALUE, key) == ERROR_SUCCESS;
}

} // namespace

bool RemoveRecordedShortcut(RemovalReport* report)
{
    RemovalReport unused;
    std::u16string shortcut;
    if (QueryRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, kDisplayShortcutValue, REG_SZ, shortcut)) {
        // A shortcut is a file: a value naming a folder must not take the folder with it.
        DeleteNamedFile(shortcut, report != nullptr ? *report : unused);
    }
    return true;
}

bool RemoveRegistryKeys(bool keepRegistration, RemovalReport* report)
{
    RemovalReport unused;
    RemovalReport& r = report != nullptr ? *report : unused;
    platform::RegistryStore store(platform::RegistryStore::DefaultLocation());
    // The product keys go first: the registration is what lets a later run finish their removal.
    bool productKeysGone = DeleteKeyNoting(store, HKEY_CURRENT_USER, kProductKey, r);
    productKeysGone = DeleteKeyNoting(store, HKEY_CLASSES_ROOT, kProductKey, r) && productKeysGone;
    if (keepRegistration || !productKeysGone) {
        r.registrationKept = KeyExists(store, HKEY_LOCAL_MACHINE, kUninstallKey);
        return false;
    }
    const DWORD rc = store.DeleteTree(HKEY_LOCAL_MACHINE, kUninstallKey, 0);
    if (rc == ERROR_SUCCESS) {
        r.removed.push_back(KeyName(HKEY_LOCAL_MACHINE, kUninstallKey));
        return true;
    }
    if (rc != ERROR_FILE_NOT_FOUND) {
        r.registrationKept = true;
        r.problems.push_back(u"The uninstall registration " + KeyName(HKEY_LOCAL_MACHINE, kUninstallKey) +
                             u" could not be deleted (error " + Decimal(rc) + u").");
    }
    return false;
}

void RemoveStartMenuEntries(RemovalReport* report)
{
    RemovalReport unused;
    RemovalReport& r = report != nullptr ? *report : unused;
    std::u16string folder;
    if (!StartMenuFolder(folder))
        return;
    DeleteNamedFile(StartMenuLink(folder, false), r);
    DeleteNamedFile(StartMenuLink(folder, true), r);
    if (platform::RemoveDirectory(folder))
        r.removed.push_back(Shown(folder));
}

void NoteUndoneSteps(int firstUndoneStep, RemovalReport& report)
{
    if (firstUndoneStep <= 1) {
        // Nothing listed was touched: the installation folder stands for all of it.
        const std::u16string dir = GetInstallDirectory();
        if (!dir.empty() && platform::FileExists(dir))
            report.leftBehind.push_back(Shown(dir));
    }
    if (firstUndoneStep <= 2) {
        std::u16string shortcut;
        if (QueryRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, kDisplayShortcutValue, REG_SZ, shortcut) &&
            platform::FileExists(shortcut))
            report.leftBehind.push_back(Shown(shortcut));
    }
    if (firstUndoneStep <= 4) {
        std::u16string folder;
        if (StartMenuFolder(folder)) {
            for (bool remove : {false, true}) {
                if (platform::FileExists(StartMenuLink(folder, remove)))
                    report.leftBehind.push_back(Shown(StartMenuLink(folder, remove)));
            }
        }
    }
    platform::RegistryStore store(platform::RegistryStore::DefaultLocation());
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_CLASSES_ROOT}) {
        if (KeyExists(store, root, kProductKey))
            report.leftBehind.push_back(KeyName(root, kProductKey));
    }
    report.registrationKept = KeyExists(store, HKEY_LOCAL_MACHINE, kUninstallKey);
}
