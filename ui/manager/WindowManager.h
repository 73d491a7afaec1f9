// The window manager: the per-window hub of the framework. So far it holds the process-wide settings
// that say where skin files come from: the program instance, the skin folder and the skin archive.
#pragma once

#include "ui/skin/ZipArchive.h"

#include <cstddef>

namespace ui {

// A module handle stands for a loaded program image. On this system it is an opaque token that
// the program hands over at start-up (the platform layer's embedded resources and module path of
// the executable are looked up through it); null means none was given.
using HINSTANCE = void*;

// What SetSkinArchive does with the archive: open it once and keep it open, or leave it to every load.
enum class ArchiveMode
{
    OpenPerLoad,
    KeepOpen,
};

class CWindowManagerUI
{
public:
    // -----------------------------------------------------------------------------------------
    // Process-wide settings, shared by every manager and set once at start-up on the UI thread.
    // -----------------------------------------------------------------------------------------

    static void SetAppInstance(HINSTANCE instance);
    static HINSTANCE AppInstance();
    // The module whose resources hold skins; falls back to the app instance when not set.
    static void SetResourceInstance(HINSTANCE instance);
    static HINSTANCE ResourceInstance();

    // The path prefix of every skin file; a separator is appended when the path does not end in one.
    static void SetSkinFolder(const char16_t* path);
    static const char16_t* SkinFolder();

    // Names an archive file inside the skin folder. With KeepOpen the archive is opened at once and
    // stays open; with OpenPerLoad every load opens it anew.
    static void SetSkinArchive(const char16_t* name, ArchiveMode mode, const char* password);
    // Uses an archive held in memory (named "membuffer"). The block is read in place: it must stay
    // valid while the archive is open. A memory archive is always kept open.
    static void SetSkinArchiveMemory(const void* data, std::size_t size, const char* password);

    // Empty when no archive is configured.
    static const char16_t* SkinArchiveName();
    // Null when no password is set.
    static const char* SkinArchivePassword();
    static bool IsArchiveKeptOpen();
    // The kept-open archive, or null.
    static zip::HARCHIVE OpenArchive();
    static void CloseArchive();

    // Capacity of the stored password, terminating zero included.
    static constexpr std::size_t kPasswordCapacity = 64;
};

} // namespace ui
