// CSkinWindowWnd: a window whose whole area belongs to its skin. When the native window is created
// it builds its content from a skin file, and it gives the skin's window attributes the behaviour
// the skin means by them: the caption band ("caption") drags the window, and the corners outside
// "roundcorner" are cut from the window's region. Any program derives its windows from it; the
// notifications of the controls arrive in Notify.
#pragma once

#include "ui/core/WindowWnd.h"
#include "ui/manager/WindowManager.h"

namespace ui {

class CSkinWindowWnd : public CWindowWnd, public INotifyUI
{
public:
    CWindowManagerUI& Manager() { return m_manager; }

    // Creation, the frameless client area, the caption band and the corners, then the manager,
    // then the previous procedure.
    LRESULT ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Notify(TNotifyMsg& msg) override;

protected:
    // The skin file the content is built from; "main.xml" unless a window names another.
    virtual const char16_t* SkinFile() const;

    // WM_CREATE: takes the native caption and frame away (the skin draws its own), attaches the
    // manager, builds the skin and attaches its root, and listens to the notifications. Returns 0.
    LRESULT OnCreateSkin();
    // WM_NCHITTEST: HTCAPTION inside the skin's caption band (its left and right values are
    // distances from the window's edges) unless a button, option or combo box is under the point,
    // so that those stay clickable; HTCLIENT everywhere else.
    LRESULT CaptionHitTest(LPARAM lParam);
    // WM_SIZE: the window's region becomes the window's rectangle with the skin's round corners
    // (nothing changes without them, or while the window is minimised).
    void ApplyRoundCorners();

    CWindowManagerUI m_manager;
};

} // namespace ui
