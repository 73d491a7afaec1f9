// What the harnesses share: a headless window system with one window whose messages go to a window
// manager, a skin run from markup to painted pixels, and small readers of fuzz input.
#pragma once

#include "ui/core/UIString.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace ui {
class CControlUI;
class CWindowManagerUI;
} // namespace ui

namespace fuzzing {

// The bytes as UTF-8 text (invalid sequences replaced), as a terminated UTF-16 string.
ui::CUIString TextOf(const std::uint8_t* data, std::size_t size);

// A headless window of the given client size with a fresh window manager attached; everything is
// torn down when the object goes away.
class HeadlessWindow
{
public:
    HeadlessWindow(int width, int height);
    ~HeadlessWindow();
    HeadlessWindow(const HeadlessWindow&) = delete;
    HeadlessWindow& operator=(const HeadlessWindow&) = delete;

    ui::CWindowManagerUI& Manager() { return *m_manager; }
    // Attaches the root (the manager owns it from here), lays it out and paints the window.
    void AttachAndPaint(ui::CControlUI* root);
    // Lays out and paints again, then dispatches what is pending.
    void Paint();

private:
    ui::CWindowManagerUI* m_manager = nullptr;
    void* m_hwnd = nullptr;
};

// Serves the skin builder's and the image loader's file reads from memory for one run.
void ServeFiles(std::map<std::u16string, std::vector<std::uint8_t>> files);

// A small valid PNG (4 x 4, opaque red and translucent blue quarters) for image descriptors.
const std::vector<std::uint8_t>& SamplePng();

// Builds the markup into a window (definitions, window attributes, controls), then lays out and
// paints it. A null markup builds the served resource "1" of type SKIN instead, so that its
// Include elements name served resources ("1" itself, "2", ...). The sample picture is "a.png"
// in the skin folder.
void RunSkin(const char16_t* markup, int width = 320, int height = 240);

} // namespace fuzzing
