// Start-up of the uninstaller: the embedded skin, relocation to the temporary folder, the
// single-instance marker, and the modal main window.
#include "app/Startup.h"

#include "app/MainWnd.h"
#include "app/Removal.h"
#include "platform/DetachedTasks.h"
#include "platform/Environment.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/InstanceMarker.h"
#include "platform/Registry.h"
#include "platform/Resources.h"
#include "platform/WindowSystem.h"
#include "ui/manager/WindowManager.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// The skin archive's bytes for the life of the process.
// Kept where the leak checker sees it: the optimiser may not drop a store to a used variable.
[[gnu::used]] std::uint8_t* s_skinCopy = nullptr;

// Writes text into the caller's buffer, cut to capacity characters, always terminated.
void WriteMessage(char16_t* buffer, int capacity, std::u16string_view text)
{
    const std::size_t n = std::min<std::size_t>(text.size(), std::size_t(std::max(capacity, 0)));
    std::copy_n(text.data(), n, buffer);
    buffer[n] = 0;
}

std::u16string Widen(const char* text)
{
    return std::u16string(text, text + std::strlen(text));
}

void ShowStartupMessage(const char16_t* text)
{
    platform::Windows().MessageBox(nullptr, text, kMainWindowTitle, MB_OK);
}

// Icons are PNG pictures among the embedded resources.
std::vector<std::uint8_t> EmbeddedIcon(int id)
{
    const auto bytes = platform::FindResource(platform::kIconResourceType, id);
    return {bytes.begin(), bytes.end()};
}

} // namespace

bool RelocateToTemp(char16_t* buffer, int capacity)
{
    // The folder gets exactly one separator, the system's, as the executable's path has it, so that
    // the relaunched copy recognises itself below also when TEMP already ends in a separator.
    std::u16string temp;
    if (!platform::GetEnvironmentVariable(u"TEMP", temp))
        temp.clear();
    const std::u16string self = platform::GetModuleFileName();
    while (temp.size() > 1 && (temp.back() == u'/' || temp.back() == u'\\'))
        temp.pop_back();
    if (!temp.empty() && temp.back() != platform::PathSeparator())
        temp += platform::PathSeparator();
    // The copy runs from inside the temporary folder; without a temporary folder the program
    // runs where it is (an empty text occurs in every path).
    if (self.find(temp) != std::u16string::npos)
        return true;

    // The copy goes into a fresh folder of this user's that nobody else can write to, and exactly
    // that file is started: a shared TEMP can neither swap the program nor block the copy. A TEMP
    // that others could change is refused (ERROR_ACCESS_DENIED) and nothing is written there.
    std::u16string target;
    const DWORD error = platform::CopyIntoPrivateFolder(self, temp, kTemporaryCopyName, target);
    if (error != ERROR_SUCCESS) {
        char text[64];
        std::snprintf(text, sizeof text, "uninstall.exe copy error,err=%u", unsigned(error));
        WriteMessage(buffer, capacity, Widen(text));
        return false;
    }
    if (!platform::FileExists(GetDirectoryPart(self) + std::u16string(kManifestFileName))) {
        WriteMessage(buffer, capacity, u"uninstall.dat error.Uninstall Failed.");
        return false;
    }
    // The child gets the copy's path as a path, not inside a command line, so no character in it
    // can turn into a command. Whether it starts is not examined, as nothing could be done here.
    platform::StartDelayedLaunch(target, kRelaunchDelayMs);
    std::fflush(nullptr);
    std::_Exit(0);
}

int UninstallerEntry(HINSTANCE instance, HINSTANCE, const char*, int)
{
    // There is no component library to initialise on this platform.
    ui::CWindowManagerUI::SetAppInstance(instance);

    const auto skin = platform::FindResource(kSkinResourceType, kSkinResourceId);
    if (skin.empty())
        return 0;
    // Copied once and never released: the archive reader reads the skin from it while the process runs.
    s_skinCopy = new std::uint8_t[skin.size()];
    std::memcpy(s_skinCopy, skin.data(), skin.size());
    ui::CWindowManagerUI::SetSkinArchiveMemory(s_skinCopy, skin.size(), kSkinPassword);

    // Run as root, the uninstaller deletes what the registry store names: a store that another
    // user could change would let that user choose what root deletes.
    std::u16string storeProblem;
    if (!platform::RegistryStoreIsTrusted(platform::RegistryStore::DefaultLocation(), storeProblem)) {
        const std::u16string text = u"The registry store can be changed by a user other than root (" + storeProblem +
                                    u"), so nothing was removed.";
        ShowStartupMessage(text.c_str());
        return 0;
    }

    char16_t message[kMessageCapacity + 1] = {};
    if (!RelocateToTemp(message, kMessageCapacity)) {
        ShowStartupMessage(message);
        return 0;
    }

    // The marker lives as long as the process; a later copy finds it and raises this window. The
    // window system it hands raise requests to is made first, so that it is also gone last.
    platform::Windows();
    static platform::InstanceMarker marker;
    if (marker.Create(kInstanceMarkerName) == platform::MarkerState::AlreadyExists &&
        platform::RaiseInstanceWindow(kInstanceMarkerName, kMainWindowClass, kMainWindowTitle))
        return 0;

    platform::Windows().SetIconSource(EmbeddedIcon);
    auto window = std::make_unique<CMainWnd>();
    window->CreateNativeWindow(nullptr, kMainWindowTitle, WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 0,
                               0);
    window->CenterOnOwner();
    window->RunModal();

    const bool workerLeftRunning = window->WorkerMayBeRunning();
    window.reset();
    if (workerLeftRunning) {
        // A stopped worker may still be inside one deletion; the process must not tear down its
        // statics under it, so it ends here.
        std::fflush(nullptr);
        std::_Exit(0);
    }
    return 0;
}
