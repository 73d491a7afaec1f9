// A headless window system with a stepped clock and a window class whose procedure records every
// message, shared by the headless tests.
#pragma once

#include "platform/Clock.h"
#include "platform/WindowSystem.h"
#include "platform/headless/HeadlessBackend.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace tvtest {

struct Logged
{
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class HeadlessTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A window of the recording class ("TestWnd", CS_DBLCLKS when asked) at screen (x, y).
    HWND MakeWindow(int x, int y, int width, int height, DWORD style = WS_POPUP | WS_VISIBLE, HWND parent = nullptr);
    std::vector<UINT> Messages(HWND hwnd) const;
    std::vector<Logged> Find(UINT message) const;
    void ClearLog() { s_log.clear(); }
    void Pump() { windows->DispatchPending(); }

    platform::WindowSystem* windows = nullptr;
    platform::HeadlessBackend* headless = nullptr;
    platform::ManualClock clock{1000};

    // Every message the recording class sees, and an optional handler that answers before the default.
    static std::vector<Logged> s_log;
    static std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT&)> s_handler;
    static LRESULT CALLBACK_Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

} // namespace tvtest
