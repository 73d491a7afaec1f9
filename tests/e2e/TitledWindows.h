// The uninstaller's windows on an X server, found by their title anywhere in the window tree (a
// window manager reparents them into frames). Shared by the end-to-end tests and the first-frame
// benchmark.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <string_view>

namespace e2e {

inline constexpr std::string_view kUninstallerTitle = "Tarvion Uninstall Window";

// Calls found(window, attributes) for every viewable window below `parent` titled `title`; the
// windows inside a match are not searched.
template <typename Found>
void ForEachTitledWindow(::Display* display, Window parent, std::string_view title, Found&& found)
{
    Window root = 0, up = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, parent, &root, &up, &children, &count))
        return;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes a;
        if (!XGetWindowAttributes(display, children[i], &a) || a.map_state != IsViewable)
            continue;
        XTextProperty name{};
        bool match = false;
        if (XGetWMName(display, children[i], &name) && name.value) {
            match = std::string_view(reinterpret_cast<const char*>(name.value), name.nitems) == title;
            XFree(name.value);
        }
        if (match)
            found(children[i], a);
        else
            ForEachTitledWindow(display, children[i], title, found);
    }
    if (children)
        XFree(children);
}

} // namespace e2e
