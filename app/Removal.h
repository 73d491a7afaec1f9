// The removal work of the uninstaller: registry and path utilities, and the four removal steps
// the worker runs one after the other. Nothing here talks to the user; a deletion that fails never
// stops a step, and is written into the run's report (when one is given) for the window to tell.
#pragma once

#include "app/RemovalReport.h"
#include "platform/Registry.h"

#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class ConfinedDirectory;
}

inline constexpr std::u16string_view kUninstallKey =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarvion VPN";
inline constexpr std::u16string_view kUninstallStringValue = u"UninstallString";
inline constexpr std::u16string_view kDisplayShortcutValue = u"DisplayShortcut";
inline constexpr std::u16string_view kProductKey = u"Software\\Tarvion VPN";
inline constexpr std::u16string_view kManifestFileName = u"uninstall.dat";
inline constexpr std::u16string_view kProductWord = u"Tarvion";

// The largest value, in bytes, that QueryRegistryValue reads.
inline constexpr unsigned kRegistryValueLimit = 10240;

// Reads one value into text, formed by the kind asked for (REG_SZ: the string; REG_DWORD and
// REG_BINARY: the first 32-bit word in signed decimal). When the value is missing from the key in
// the default view, the key is opened once more in the 64-bit view and asked again. False when
// the key or value cannot be read, or the value is larger than kRegistryValueLimit bytes.
bool QueryRegistryValue(HKEY root, std::u16string_view subKey, std::u16string_view valueName, DWORD kind,
                        std::u16string& text);

// The folder of the installed uninstaller with its trailing separator, or empty when unknown.
std::u16string GetInstallDirectory();

// The text up to and including the last '/' or '\\'; a path with neither is returned whole.
std::u16string GetDirectoryPart(std::u16string_view path);

// UTF-8 to UTF-16; the narrow text ends at its first zero byte.
std::u16string Utf8ToWide(std::string_view text);

// Deletes a key with all its subkeys and values in the default view. True on success.
bool DeleteRegistryTree(HKEY root, std::u16string_view subKey);

// What step 1 leaves for the very end of a run: the installed uninstaller and the manifest, which a
// later run needs, and the open installation folder they lie in.
struct DeferredInstallerEntries
{
    DeferredInstallerEntries();
    ~DeferredInstallerEntries();

    std::unique_ptr<platform::ConfinedDirectory> install;
    std::u16string dir;
    std::vector<std::string> names;
};

// Step 1: deletes what the manifest lists, then the installation directory if it is left empty.
// The installed uninstaller and the manifest go last, and only when every other listed entry is
// gone, nothing else has failed so far in the report, and the registry store can be written: so
// a run that ends early always leaves something that can be run again to finish. With `deferred`
// those two are not touched here but handed over for FinishDeferredEntries, so that the worker can
// remove them after the other steps too. A stop request, checked before every entry, ends the
// step where it is; what is still there is then reported as left behind. Always true.
bool RemoveListedFiles(const std::atomic<bool>* stopRequested = nullptr, RemovalReport* report = nullptr,
                       DeferredInstallerEntries* deferred = nullptr);

// What becomes of the entries step 1 deferred.
enum class DeferredFate
{
    RemoveIfAllElseWent, // deleted when nothing was left or failed and the store can be written
    Keep,                // only noted as left behind (after a stop)
};

// Ends what step 1 deferred: the uninstaller and manifest, then the installation folder if empty.
void FinishDeferredEntries(DeferredInstallerEntries& deferred, DeferredFate fate, RemovalReport& report);

// Step 2: deletes the file "DisplayShortcut" names, if any. Always true.
bool RemoveRecordedShortcut(RemovalReport* report = nullptr);

// Step 3: deletes both product keys, then the uninstall key unless keepRegistration is set or a
// product key could not be deleted (a registration kept is marked in the report). True when the
// uninstall key went.
bool RemoveRegistryKeys(bool keepRegistration = false, RemovalReport* report = nullptr);

// Step 4: deletes the product's two Start Menu shortcuts and then its folder if empty.
void RemoveStartMenuEntries(RemovalReport* report = nullptr);

// After a stop: notes in the report what the steps from firstUndoneStep (1 to 4) on would have
// removed and is still there (for step 1, the installation folder as a whole).
void NoteUndoneSteps(int firstUndoneStep, RemovalReport& report);
