// Skin paths are written for Windows: settings, skins and the skin folder separate folders with
// backslashes. Here a backslash in a path is read as a separator too.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>

namespace ui {

// Turns every backslash of a path (std::string or std::u16string) into a slash.
template <class Path> void UseForwardSlashes(Path& path)
{
    std::replace(path.begin(), path.end(), typename Path::value_type('\\'), typename Path::value_type('/'));
}

// A skin path as this system's file functions take it: UTF-8, with forward slashes.
std::string LocalPath(std::u16string_view path);

// A UTF-8 path as the C++ library's file functions take it. Built from char8_t, it names the same
// file on every system: on Windows the library would read a plain std::string in the ANSI code
// page, and a name outside it would not open.
std::filesystem::path FilePath(std::string_view utf8);
// A skin path for the C++ library's file functions: forward slashes, the name carried as Unicode.
std::filesystem::path LocalFilePath(std::u16string_view path);

} // namespace ui
