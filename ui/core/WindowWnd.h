// The window base: binds one object to one native window, routes the window's messages to the
// object's ProcessMessage, runs a modal loop and tells the object when its window is gone.
#pragma once

#include "platform/Win32Defs.h"
#include "ui/core/ModuleHandle.h"
#include "ui/core/UIRect.h"

#include <memory>

namespace ui {

class CControlUI;

class CWindowWnd
{
public:
    // The window base is the bottom of ui/: what it needs from the control tree and the window
    // manager above it, those layers hand it here when they come into use.
    // Offers a queued message to the window managers before dispatch; true consumes it.
    using MessagePreTranslator = bool (*)(const MSG& msg);
    // Whether no control from this one up to its root carries a control flag (control non-null).
    using ControlChainCheck = bool (*)(CControlUI* control);
    static void SetMessagePreTranslator(MessagePreTranslator translator);
    static void SetControlChainCheck(ControlChainCheck check);
    // The module whose resources hold window classes and icons: the window manager passes its
    // resource instance setting on (which falls back to its app instance); null by default.
    static void SetResourceModule(HINSTANCE module);

    CWindowWnd();
    // Does not destroy a native window that still exists, but detaches from it: the window's later
    // messages get default processing instead of reaching a destroyed object.
    virtual ~CWindowWnd();
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    // ---- overridable ----
    // The class name to register and create.
    virtual const char16_t* WindowClassName() const = 0;
    // A class to derive from (its procedure becomes the previous procedure), or null for a class of its own.
    virtual const char16_t* SuperclassName() const;
    virtual UINT ClassStyle() const;
    virtual LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Called once after the native window has processed its last message; the object may delete itself here.
    virtual void OnWindowGone(HWND hwnd);
    // True when neither the control nor any of its ancestors carries a control flag (a tab stop or
    // a cursor of its own); false for a null control.
    virtual bool IsControlChainClear(CControlUI* control) const;

    // ---- binding ----
    HWND WindowHandle() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    bool RegisterWindowClass();
    bool RegisterSuperclass();
    HWND CreateNativeWindow(HWND parent, const char16_t* title, DWORD style, DWORD exStyle, int x, int y, int width,
                            int height, HMENU menu = nullptr);
    HWND CreateNativeWindow(HWND parent, const char16_t* title, DWORD style, DWORD exStyle, const CUIRect& rect);
    HWND CreateNativeWindow(HWND parent, const char16_t* title, DWORD style, DWORD exStyle);
    HWND SubclassWindow(HWND hwnd);
    void UnsubclassWindow();

    // ---- operations on the bound window ----
    void ShowNativeWindow(bool show = true, bool takeFocus = true);
    int RunModal();
    int RunModalShown(bool show, bool takeFocus);
    // Posts WM_CLOSE carrying the result; the modal loop returns it.
    void CloseWithResult(int result = 0);
    void CenterOnOwner();
    void SetWindowIcon(int resourceId);
    void ResizeClient(int width = -1, int height = -1);
    LRESULT SendToWindow(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    bool PostToWindow(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT CallPreviousProc(UINT message, WPARAM wParam, LPARAM lParam);

    // The thread's message loop until WM_QUIT, for windows that are not run modally. It is the loop
    // RunModal runs: every message is offered to the window managers' pre-translation (Tab,
    // Shift+Tab, Alt shortcuts, accelerators) before it is translated and dispatched.
    static void RunMessageLoop();

    // The procedure of classes registered by RegisterWindowClass (object in the user-data slot) and of
    // superclassed classes (object in the window property "WndX").
    static LRESULT UserDataProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT PropertyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    HWND m_hWnd = nullptr;
    WNDPROC m_previousProc;
    bool m_isSubclassed = false;
    int m_modalResult = 0;

private:
    enum class ShowChoice
    {
        Normal,
        AsAsked,
    };
    int RunModalLoop(ShowChoice choice, bool show, bool takeFocus);
    // Pre-translation, else translation and dispatch, of one fetched message.
    static void DeliverMessage(const MSG& msg);

    // Lets a modal loop notice that OnWindowGone deleted the object under it.
    std::shared_ptr<bool> m_alive;
};

} // namespace ui
