// The uninstaller's start-up: self-relocation to the temporary folder, the single-instance guard,
// and the entry that shows the main window until it is gone.
#pragma once

#include "platform/Win32Defs.h"

#include <string_view>

inline constexpr int kSkinResourceId = 102;
inline constexpr char16_t kSkinResourceType[] = u"ZIPRES";
inline constexpr char kSkinPassword[] = "QwPlrTvK";
inline constexpr std::string_view kInstanceMarkerName = "Global\\_ONCE_RUN_windows_project_20230101_UNINSTALL";
inline constexpr char16_t kTemporaryCopyName[] = u"uninstall.exe";
inline constexpr unsigned kRelaunchDelayMs = 1000;
inline constexpr int kMessageCapacity = 1023;

// Makes sure this process runs as the copy in the temporary folder. True: go on here (this is the
// copy, or there is no temporary folder). False: stop, with the text to show written into buffer
// (at most capacity characters and a terminator). After a successful relocation it does not
// return: a detached child starts the copy a second later and this process ends.
bool RelocateToTemp(char16_t* buffer, int capacity);

// The program's entry; only the instance is used. Returns 0 on every path.
int UninstallerEntry(HINSTANCE instance, HINSTANCE previous, const char* commandLine, int showCommand);
