// hello-skin: a window whose content comes from a skin, a button that answers a click, and quit.
// It is built against the installed framework alone (see CMakeLists.txt next to it).
//
//   hello-skin SKIN_FOLDER [--click-quit]
//
// SKIN_FOLDER holds main.xml. With --click-quit the program clicks its own "quit" button once the
// window is up, by sending the window the mouse messages a real click makes: a run without a
// display (the headless window backend is chosen then) shows the whole path from the click to the
// end of the program.
#include "platform/WindowSystem.h"
#include "ui/builder/SkinWindow.h"
#include "ui/controls/Control.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// CSkinWindowWnd builds "main.xml" when the window is created, and gives the skin's caption band
// and round corners their window behaviour; the program adds only what its controls mean.
class CHelloWnd : public ui::CSkinWindowWnd
{
public:
    explicit CHelloWnd(bool clickQuit) : m_clickQuit(clickQuit) {}

    const char16_t* WindowClassName() const override { return u"HelloSkinWnd"; }

    // Notifications of the controls: "windowinit" once the window has painted, "click" from buttons.
    void Notify(ui::TNotifyMsg& msg) override
    {
        if (msg.type == u"windowinit") {
            std::puts("window shown");
            if (m_clickQuit)
                ClickControl(u"quit");
        } else if (msg.type == u"click" && msg.sender != nullptr && msg.sender->GetName() == u"quit") {
            std::puts("quit clicked");
            std::fflush(stdout);
            CloseWithResult(0);
        }
    }

private:
    void ClickControl(const char16_t* name)
    {
        ui::CControlUI* control = m_manager.ControlByName(name);
        if (control == nullptr)
            return;
        const ui::CUIRect& r = control->GetPosition();
        const LPARAM at = MAKELPARAM(r.left + r.Width() / 2, r.top + r.Height() / 2);
        PostToWindow(WM_MOUSEMOVE, 0, at);
        PostToWindow(WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostToWindow(WM_LBUTTONUP, 0, at);
    }

    bool m_clickQuit;
};

char s_programImage; // stands for this program wherever the framework asks for its instance

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: hello-skin SKIN_FOLDER [--click-quit]\n");
        return 2;
    }
    const bool clickQuit = argc > 2 && std::strcmp(argv[2], "--click-quit") == 0;
    ui::CWindowManagerUI::SetAppInstance(reinterpret_cast<HINSTANCE>(&s_programImage));
    // Skin folder names are UTF-16; an ASCII path widens one character at a time.
    std::u16string folder(argv[1], argv[1] + std::strlen(argv[1]));
    ui::CWindowManagerUI::SetSkinFolder(folder.c_str());

    CHelloWnd window(clickQuit);
    if (window.CreateNativeWindow(nullptr, u"Hello skin", WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0) == nullptr)
        return 1;
    window.CenterOnOwner();
    return window.RunModal();
}
