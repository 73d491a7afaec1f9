// What tests of real windows share over any window backend: their window class, the message loop,
// which a test runs while it waits for what it expects on the screen or in its window procedure,
// and a picture that shows where the window's device pixels land.
#pragma once

#include "platform/Geometry.h"
#include "platform/WindowSystem.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

namespace window_test {

// Runs the loop until the condition holds or `ms` milliseconds pass; whether it holds at the end.
inline bool PumpUntil(platform::WindowSystem& windows, const std::function<bool()>& condition, int ms = 3000,
                      int pollMs = 5)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        windows.DispatchPending();
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
    }
    windows.DispatchPending();
    return condition();
}

// Registers the test's window class: `name`, drawn by `proc`, everything else left at its default.
inline void RegisterTestClass(platform::WindowSystem& windows, const char16_t* name, WNDPROC proc)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.lpszClassName = platform::Win32Text(name);
    windows.RegisterClassEx(wc);
}

// Answers WM_PAINT with the whole picture: its top half `top`, the rest `bottom`, in device
// pixels. The picture's size, which is the window's in device pixels.
inline platform::Size PaintHalves(platform::WindowSystem& windows, HWND hwnd, std::uint32_t top, std::uint32_t bottom)
{
    platform::PaintInfo paint;
    windows.BeginPaint(hwnd, paint);
    const platform::PixelBuffer& px = paint.pixels;
    for (int y = 0; y < px.height; ++y)
        for (int x = 0; x < px.width; ++x)
            px.Row(y)[x] = y < px.height / 2 ? top : bottom;
    paint.dirty = RECT{0, 0, px.width, px.height};
    windows.EndPaint(hwnd, paint);
    return {px.width, px.height};
}

} // namespace window_test
