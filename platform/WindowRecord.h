// The window system's record of one window, shared by the message model and the backends that
// mirror it on a display (or keep it in memory).
#pragma once

#include "platform/Geometry.h"
#include "platform/PixelBuffer.h"
#include "platform/Win32Defs.h"
#include "platform/WindowRegion.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform {

struct WindowRecord
{
    HWND handle = nullptr;
    std::u16string className;
    UINT classStyle = 0;
    HCURSOR classCursor = nullptr;
    WNDPROC proc = nullptr;
    std::u16string title;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect;             // screen coordinates for a top-level window, the parent's client coordinates for a child
    HWND parent = nullptr; // WS_CHILD windows only
    HWND owner = nullptr;  // top-level windows only
    LONG_PTR userData = 0;
    LONG_PTR id = 0;
    HINSTANCE instance = nullptr;
    std::vector<std::pair<std::u16string, HANDLE>> props;
    std::optional<WindowRegion> region;
    BYTE opacity = 255; // whole-window alpha of a layered window
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    RECT restoreRect; // the rectangle to come back to from the minimised state
    RECT normalRect;  // the rectangle to come back to from the maximised state
    RECT updateRect;  // bounding box of what needs painting, client coordinates
    // What needs painting as a few separate rectangles within updateRect, so that two small changes
    // far apart (a label and a bar) are not repainted as the large box around both.
    std::vector<RECT> updatePieces;
    bool needsPaint = false;
    bool creating = true; // until CreateWindowEx has finished sending WM_CREATE
    bool destroying = false;
    std::vector<HWND> children; // in creation order
    // Device pixels per logical pixel (docs/hidpi.md). Everything above is in logical pixels; only
    // the picture below is at device resolution, round(client size × scale). A child has its
    // top-level window's scale.
    double scale = 1.0;
    std::vector<std::uint32_t> store; // backing store of a top-level window (children paint into theirs)
    PixelBuffer pixels;               // view of the store: the client size in device pixels
    void* native = nullptr;           // the backend's own data for this window

    bool IsChild() const { return (style & WS_CHILD) != 0 && parent != nullptr; }
    bool IsVisibleFlag() const { return (style & WS_VISIBLE) != 0; }
    bool IsMinimized() const { return (style & WS_MINIMIZE) != 0; }
    bool IsTopmost() const { return (exStyle & WS_EX_TOPMOST) != 0; }
    int Width() const { return rect.right - rect.left; }
    int Height() const { return rect.bottom - rect.top; }
    // A client rectangle (logical) in the picture's device pixels.
    RECT DeviceRect(const RECT& client) const
    {
        return RECT{ScaleEdge(client.left, scale), ScaleEdge(client.top, scale), ScaleEdge(client.right, scale),
                    ScaleEdge(client.bottom, scale)};
    }
};

} // namespace platform
