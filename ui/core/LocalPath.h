// Skin paths are written for Windows: settings, skins and the skin folder separate folders with
// backslashes. Here a backslash in a path is read as a separator too.
#pragma once

#include <algorithm>
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

} // namespace ui
