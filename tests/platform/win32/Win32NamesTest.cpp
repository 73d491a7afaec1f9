// Functions and methods of ours that windows.h would rename by a macro (DeleteFile -> DeleteFileW)
// keep their names in a translation unit that includes windows.h first, as a Win32 backend file
// does, and the system's W functions stay callable by their explicit names. Elsewhere there is no
// windows.h, and the names are checked alone.
#ifdef _WIN32
#include <windows.h>
#endif

#include "platform/DeviceContext.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Resources.h"
#include "platform/TextLayout.h"
#include "platform/Win32Defs.h"
#include "platform/WindowSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

// The spelling a name has after the preprocessor: "DeleteFileW" while windows.h's macro is in force.
#define TVU_SPELLING(name) TVU_SPELLING_QUOTED(name)
#define TVU_SPELLING_QUOTED(name) #name

// Every name of ours that windows.h (with the common controls) defines as a macro.
#define TVU_WINDOWS_H_NAMES(X)                                                                                         \
    X(CallWindowProc)                                                                                                  \
    X(CreateWindowEx)                                                                                                  \
    X(DefWindowProc) X(DeleteFile) X(DispatchMessage) X(DrawText) X(FindResource) X(FindText) X(FindWindow)            \
        X(GetClassInfoEx) X(GetClassName) X(GetEnvironmentVariable) X(GetMessage) X(GetModuleFileName)                 \
            X(GetMonitorInfo) X(GetObject) X(GetProp) X(GetTextMetrics) X(GetWindowLongPtr) X(GetWindowText)           \
                X(LoadCursor) X(LoadImage) X(MessageBox) X(PeekMessage) X(PostMessage) X(PostThreadMessage)            \
                    X(RegisterClassEx) X(RemoveDirectory) X(RemoveProp) X(SendMessage) X(SetCurrentDirectory)          \
                        X(SetProp) X(SetWindowLongPtr) X(SetWindowText) X(TranslateAccelerator) X(UnregisterClass)

TEST(Win32Names, KeepTheirSpellingAfterWindowsH)
{
#define TVU_CHECK_SPELLING(name) EXPECT_STREQ(TVU_SPELLING(name), #name);
    TVU_WINDOWS_H_NAMES(TVU_CHECK_SPELLING)
#undef TVU_CHECK_SPELLING
}

// Class names and window texts go into the shared records and come back as our UTF-16 text.
TEST(Win32Names, RecordTextRoundTrips)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpszClassName = platform::Win32Text(u"Fenêtre");
    EXPECT_EQ(std::u16string(platform::Utf16Text(wc.lpszClassName)), u"Fenêtre");
    EXPECT_EQ(GET_X_LPARAM(MAKELPARAM(-5, 7)), -5);
    EXPECT_EQ(GET_Y_LPARAM(MAKELPARAM(-5, 7)), 7);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(MAKEINTRESOURCEW(102)), 102u);
}

#ifdef _WIN32
// In the same translation unit the system's functions answer by their W names, with our text.
TEST(Win32Names, SystemFunctionsByTheirWideNames)
{
    const std::filesystem::path file = std::filesystem::temp_directory_path() / L"tvu-win32-names-\u00e9.txt";
    std::ofstream(file) << "x";
    ASSERT_TRUE(std::filesystem::exists(file));
    const std::u16string name(reinterpret_cast<const char16_t*>(file.c_str()));
    EXPECT_TRUE(::DeleteFileW(platform::Win32Text(name.c_str())));
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_FALSE(::DeleteFileW(platform::Win32Text(name.c_str())));
    EXPECT_EQ(::GetLastError(), ERROR_FILE_NOT_FOUND);

    WCHAR value[8] = {};
    ASSERT_TRUE(::SetEnvironmentVariableW(L"TVU_WIN32_NAMES", L"set"));
    EXPECT_EQ(::GetEnvironmentVariableW(L"TVU_WIN32_NAMES", value, 8), 3u);
    EXPECT_EQ(std::u16string(platform::Utf16Text(value)), u"set");
}
#endif

} // namespace
