// The window manager. This file holds, so far, the process-wide skin settings: plain static storage
// written at start-up and read by every skin load, all on the UI thread and without locks.
#include "ui/manager/WindowManager.h"

#include <cstring>
#include <string>

namespace ui {

namespace {

constexpr char16_t kMemoryArchiveName[] = u"membuffer";

struct SharedSettings
{
    HINSTANCE appInstance = nullptr;
    HINSTANCE resourceInstance = nullptr;
    std::u16string skinFolder;
    std::u16string skinArchiveName;
    char skinArchivePassword[CWindowManagerUI::kPasswordCapacity] = {};
    bool keepArchiveOpen = true;
    zip::HARCHIVE openArchive = nullptr;

    ~SharedSettings()
    {
        if (openArchive != nullptr)
            zip::Close(openArchive);
    }
};

SharedSettings& Shared()
{
    static SharedSettings settings;
    return settings;
}

// Longer passwords are cut to what the buffer holds.
void StorePassword(const char* password)
{
    char* stored = Shared().skinArchivePassword;
    std::memset(stored, 0, CWindowManagerUI::kPasswordCapacity);
    if (password != nullptr)
        std::strncpy(stored, password, CWindowManagerUI::kPasswordCapacity - 1);
}

} // namespace

void CWindowManagerUI::SetAppInstance(HINSTANCE instance)
{
    Shared().appInstance = instance;
}

HINSTANCE CWindowManagerUI::AppInstance()
{
    return Shared().appInstance;
}

void CWindowManagerUI::SetResourceInstance(HINSTANCE instance)
{
    Shared().resourceInstance = instance;
}

HINSTANCE CWindowManagerUI::ResourceInstance()
{
    return Shared().resourceInstance != nullptr ? Shared().resourceInstance : Shared().appInstance;
}

void CWindowManagerUI::SetSkinFolder(const char16_t* path)
{
    std::u16string& folder = Shared().skinFolder;
    folder = path != nullptr ? path : u"";
    if (!folder.empty() && folder.back() != u'\\' && folder.back() != u'/')
        folder += u'\\';
}

const char16_t* CWindowManagerUI::SkinFolder()
{
    return Shared().skinFolder.c_str();
}

void CWindowManagerUI::SetSkinArchive(const char16_t* name, ArchiveMode mode, const char* password)
{
    SharedSettings& s = Shared();
    StorePassword(password);
    const std::u16string newName = name != nullptr ? name : u"";
    const bool keepOpen = mode == ArchiveMode::KeepOpen;
    if (newName == s.skinArchiveName && keepOpen == s.keepArchiveOpen)
        return;
    CloseArchive();
    s.skinArchiveName = newName;
    s.keepArchiveOpen = keepOpen;
    if (keepOpen && !newName.empty()) {
        std::u16string path = s.skinFolder + newName;
        s.openArchive = zip::OpenFromFile(path.c_str(), SkinArchivePassword());
    }
}

void CWindowManagerUI::SetSkinArchiveMemory(const void* data, std::size_t size, const char* password)
{
    SharedSettings& s = Shared();
    StorePassword(password);
    if (s.skinArchiveName == kMemoryArchiveName)
        return;
    CloseArchive();
    s.skinArchiveName = kMemoryArchiveName;
    // Nothing could reopen a memory block later, so it is kept open whatever the flag said.
    s.keepArchiveOpen = true;
    s.openArchive = zip::OpenFromMemory(data, size, SkinArchivePassword());
}

const char16_t* CWindowManagerUI::SkinArchiveName()
{
    return Shared().skinArchiveName.c_str();
}

const char* CWindowManagerUI::SkinArchivePassword()
{
    const char* stored = Shared().skinArchivePassword;
    return stored[0] != '\0' ? stored : nullptr;
}

bool CWindowManagerUI::IsArchiveKeptOpen()
{
    return Shared().keepArchiveOpen;
}

zip::HARCHIVE CWindowManagerUI::OpenArchive()
{
    return Shared().openArchive;
}

void CWindowManagerUI::CloseArchive()
{
    SharedSettings& s = Shared();
    if (s.openArchive != nullptr) {
        zip::Close(s.openArchive);
        s.openArchive = nullptr;
    }
}

} // namespace ui
