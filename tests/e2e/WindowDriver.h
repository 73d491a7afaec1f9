// Runs CMainWnd in-process on the headless backend, one message at a time, with a hook that may
// press keys or click between messages. Tests use it from a copy of their own binary, run in a
// staged sandbox, because a finished run deletes the running executable.
#pragma once

#include "WaitFor.h"

#include "app/MainWnd.h"
#include "app/Startup.h"
#include "platform/Resources.h"
#include "platform/WindowSystem.h"
#include "platform/headless/HeadlessBackend.h"
#include "ui/controls/Control.h"

#include <functional>

namespace e2e {

class WindowDriver
{
public:
    WindowDriver()
    {
        auto backend = std::make_unique<platform::HeadlessBackend>();
        m_headless = backend.get();
        platform::WindowSystem::Install(std::move(backend));
        auto& windows = platform::Windows();
        m_skin = platform::FindResource(kSkinResourceType, kSkinResourceId);
        ui::CWindowManagerUI::SetAppInstance(reinterpret_cast<HINSTANCE>(&windows));
        ui::CWindowManagerUI::SetSkinArchiveMemory(m_skin.data(), m_skin.size(), kSkinPassword);
        m_window = std::make_unique<CMainWnd>();
        m_window->CreateNativeWindow(nullptr, kMainWindowTitle, WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0,
                                     0, 0);
        m_hwnd = *m_window;
        m_window->CenterOnOwner();
        windows.ShowWindow(m_hwnd, SW_SHOWNORMAL);
        windows.SetFocus(m_hwnd);
    }

    ~WindowDriver()
    {
        m_window.reset();
        // A stopped worker ends at its next check; give it that moment before the process ends.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        platform::WindowSystem::Shutdown();
    }

    WindowDriver(const WindowDriver&) = delete;
    WindowDriver& operator=(const WindowDriver&) = delete;

    CMainWnd& Window() { return *m_window; }
    HWND Handle() const { return m_hwnd; }
    bool WindowGone() const { return !platform::Windows().IsWindow(m_hwnd); }

    // Dispatches messages one at a time, calling step after each, until the window is gone.
    bool RunUntilClosed(const std::function<void()>& step, std::chrono::milliseconds timeout)
    {
        auto& windows = platform::Windows();
        return WaitFor(
            [&] {
                MSG msg;
                if (windows.PeekMessage(msg) && msg.message != WM_QUIT) {
                    windows.TranslateMessage(msg);
                    windows.DispatchMessage(msg);
                }
                if (!WindowGone() && step)
                    step();
                return WindowGone();
            },
            timeout);
    }

    void PressKey(UINT vk)
    {
        m_headless->InjectKey(vk, true);
        m_headless->InjectKey(vk, false);
    }

    void PressChord(UINT modifier, UINT vk)
    {
        m_headless->InjectKey(modifier, true);
        PressKey(vk);
        m_headless->InjectKey(modifier, false);
    }

    // A real mouse click in the middle of "close_btn".
    bool ClickCloseButton()
    {
        ui::CControlUI* button = m_window->Manager().ControlByName(u"close_btn");
        if (button == nullptr)
            return false;
        const ui::CUIRect r = button->GetPosition();
        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        platform::Windows().ClientToScreen(m_hwnd, p);
        m_headless->InjectMouseMove(p.x, p.y);
        m_headless->InjectButton(platform::kLeftButton, true, p.x, p.y);
        m_headless->InjectButton(platform::kLeftButton, false, p.x, p.y);
        return true;
    }

private:
    platform::HeadlessBackend* m_headless = nullptr;
    std::span<const std::uint8_t> m_skin;
    std::unique_ptr<CMainWnd> m_window;
    HWND m_hwnd = nullptr;
};

} // namespace e2e
