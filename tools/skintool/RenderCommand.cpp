// skintool render SKIN [--password P] [--size WxH] [--scale S] [--state NAME=STATE]... --out FILE.png:
// builds a skin's control tree on a headless window, lays it out, puts the named controls into the
// asked states (hot, pushed, focused, selected, disabled), paints it and writes the picture,
// transparent outside the window's round corners. Without --size the window has the size the skin
// gives it. --scale paints as a scaled desktop would (the window's scale; TVU_SCALE without it):
// the size stays logical, the picture is round(size × S) pixels with the skin's @2x images.
// SKIN is a markup file, or a skin archive whose "main.xml" is built.
#include "tools/skintool/Commands.h"

#include "platform/DisplayScale.h"
#include "platform/PngFile.h"
#include "platform/WindowSystem.h"
#include "platform/headless/HeadlessBackend.h"
#include "ui/controls/Control.h"
#include "ui/controls/Option.h"
#include "ui/manager/UIEvent.h"
#include "ui/manager/WindowManager.h"
#include "ui/skin/MarkupDecoder.h"
#include "ui/builder/SkinBuilder.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skintool {

namespace {

constexpr const char16_t* kWindowClass = u"SkintoolRender";

struct TRenderOptions
{
    std::string skin;
    std::string password;
    bool hasPassword = false;
    int width = 0; // 0: the skin's own window size
    int height = 0;
    std::optional<double> scale; // --scale
    std::string out;
    std::vector<std::pair<std::u16string, std::string>> states; // control name, state
};

constexpr std::string_view kStates[] = {"hot", "pushed", "focused", "selected", "disabled"};

std::u16string Widen(const std::string& text)
{
    const ui::TDecodedText decoded = ui::DecodeMarkup(text.data(), text.size(), ui::MarkupEncoding::Utf8);
    return std::u16string(decoded.text.get());
}

// "NAME=STATE" with a known state.
bool ParseState(const std::string& text, TRenderOptions& out)
{
    const std::size_t eq = text.rfind('=');
    if (eq == std::string::npos || eq == 0) {
        return false;
    }
    const std::string state = text.substr(eq + 1);
    if (std::find(std::begin(kStates), std::end(kStates), state) == std::end(kStates)) {
        return false;
    }
    out.states.emplace_back(Widen(text.substr(0, eq)), state);
    return true;
}

// "WxH" with positive numbers.
bool ParseSize(std::string_view text, int& width, int& height)
{
    const std::size_t x = text.find('x');
    if (x == std::string_view::npos) {
        return false;
    }
    const auto parse = [](std::string_view digits, int& value) {
        if (digits.empty() || digits.size() > 5) {
            return false;
        }
        value = 0;
        for (char c : digits) {
            if (c < '0' || c > '9') {
                return false;
            }
            value = value * 10 + (c - '0');
        }
        return value > 0;
    };
    return parse(text.substr(0, x), width) && parse(text.substr(x + 1), height);
}

bool ParseRenderOptions(const Arguments& args, TRenderOptions& out)
{
    std::string size;
    bool hasSize = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        std::string_view name = arg;
        std::string value;
        bool hasValue = false;
        if (arg.starts_with("--")) {
            if (const std::size_t eq = arg.find('='); eq != std::string_view::npos) {
                name = arg.substr(0, eq);
                value = std::string(arg.substr(eq + 1));
                hasValue = true;
            }
            if (name != "--password" && name != "--size" && name != "--out" && name != "--state" && name != "--scale") {
                return false;
            }
            if (!hasValue) {
                if (i + 1 >= args.size()) {
                    return false;
                }
                value = args[++i];
            }
            if (name == "--password") {
                out.password = value;
                out.hasPassword = true;
            } else if (name == "--size") {
                size = value;
                hasSize = true;
            } else if (name == "--state") {
                if (!ParseState(value, out)) {
                    return false;
                }
            } else if (name == "--scale") {
                out.scale = platform::ParseScaleNumber(value);
                if (!out.scale || platform::SaneScale(*out.scale) != *out.scale) {
                    return false;
                }
            } else {
                out.out = value;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            return false;
        } else if (out.skin.empty()) {
            out.skin = std::string(arg);
        } else {
            return false;
        }
    }
    return !out.skin.empty() && !out.out.empty() && (!hasSize || ParseSize(size, out.width, out.height));
}

// A skin archive is a ZIP file: it starts with a local header signature.
bool IsArchive(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    char magic[4] = {};
    return in.read(magic, 4) && magic[0] == 'P' && magic[1] == 'K' && magic[2] == 3 && magic[3] == 4;
}

// The render window hands every message to the manager first.
ui::CWindowManagerUI* s_manager = nullptr;

LRESULT RenderWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (s_manager != nullptr && s_manager->Window() == hwnd &&
        s_manager->HandleWindowMessage(message, wParam, lParam, result)) {
        return result;
    }
    return platform::Windows().DefWindowProc(hwnd, message, wParam, lParam);
}

// Owns the headless window system, the window and the manager for one render.
class CRenderSession
{
public:
    explicit CRenderSession(std::optional<double> scale)
    {
        auto backend = std::make_unique<platform::HeadlessBackend>();
        if (scale)
            backend->SetScale(*scale);
        platform::WindowSystem::Install(std::move(backend));
        WNDCLASSEXW wc;
        wc.lpfnWndProc = RenderWindowProc;
        wc.lpszClassName = kWindowClass;
        platform::Windows().RegisterClassEx(wc);
    }
    ~CRenderSession()
    {
        s_manager = nullptr;
        m_manager.reset();
        platform::WindowSystem::Shutdown();
    }
    CRenderSession(const CRenderSession&) = delete;
    CRenderSession& operator=(const CRenderSession&) = delete;

    int Render(const TRenderOptions& options, const char16_t* source)
    {
        platform::WindowSystem& windows = platform::Windows();
        // Without --size the skin's "size" attribute resizes the window while it is built.
        m_window =
            windows.CreateWindowEx(0, kWindowClass, u"skintool render", WS_POPUP, 0, 0, std::max(options.width, 1),
                                   std::max(options.height, 1), nullptr, nullptr, nullptr, nullptr);
        if (m_window == nullptr) {
            std::cerr << "cannot create the render window\n";
            return kExitFailure;
        }
        m_manager = std::make_unique<ui::CWindowManagerUI>();
        s_manager = m_manager.get();
        m_manager->AttachWindow(m_window, u"skintool");

        ui::CSkinBuilder builder;
        ui::CControlUI* root = builder.Create(source, nullptr, nullptr, m_manager.get(), nullptr);
        if (root == nullptr) {
            char16_t message[100];
            char16_t location[50];
            builder.ErrorMessage(message, 100);
            builder.ErrorLocation(location, 50);
            if (message[0] == 0) {
                std::cerr << "the skin has no controls\n";
            } else {
                std::cerr << ToPrintable(message);
                if (location[0] != 0) {
                    std::cerr << " at \"" << ToPrintable(location) << '"';
                }
                std::cerr << '\n';
            }
            return kExitFailure;
        }
        int width = options.width;
        int height = options.height;
        if (width == 0) {
            const ui::CUISize declared = m_manager->InitialSize();
            if (declared.cx <= 0 || declared.cy <= 0) {
                root->DeleteSelf();
                std::cerr << "the skin's window has no \"size\": give --size WxH\n";
                return kExitFailure;
            }
            width = declared.cx;
            height = declared.cy;
        }
        m_manager->AttachRoot(root);
        // The window's "size" attribute resizes the window; the picture keeps the asked size.
        windows.SetWindowPos(m_window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        windows.ShowWindow(m_window, SW_SHOWNOACTIVATE);
        windows.InvalidateRect(m_window, nullptr, false);
        windows.UpdateWindow(m_window);
        if (!options.states.empty()) {
            // States are put on laid-out controls (a press needs a place inside the control).
            for (const auto& [name, state] : options.states) {
                if (!ApplyState(name, state)) {
                    return kExitFailure;
                }
            }
            windows.InvalidateRect(m_window, nullptr, false);
            windows.UpdateWindow(m_window);
        }

        const platform::PixelBuffer pixels = windows.WindowPixels(m_window);
        ClipToRoundCorners(pixels, windows.WindowScale(m_window));
        if (!platform::WritePng(pixels, options.out)) {
            std::cerr << "cannot write " << options.out << '\n';
            return kExitFailure;
        }
        return kExitOk;
    }

private:
    // Puts the control into the state the way the user would: the mouse over it, pressed on it,
    // the focus on it; selected and disabled as the program sets them.
    bool ApplyState(const std::u16string& name, const std::string& state)
    {
        ui::CControlUI* control = m_manager->ControlByName(name.c_str());
        if (control == nullptr) {
            std::cerr << "--state: the skin has no control named \"" << ToPrintable(name.c_str()) << "\"\n";
            return false;
        }
        const ui::CUIRect& pos = control->GetPosition();
        ui::TUIEvent event;
        event.sender = control;
        event.point = ui::CUIPoint(pos.left + pos.Width() / 2, pos.top + pos.Height() / 2);
        if (state == "hot") {
            event.kind = ui::EVT_MOUSE_ENTER;
            control->Event(event);
        } else if (state == "pushed") {
            event.kind = ui::EVT_BUTTON_DOWN;
            event.keyState = ui::KEYSTATE_LBUTTON;
            control->Event(event);
        } else if (state == "focused") {
            m_manager->SetFocusControl(control, false);
        } else if (state == "selected") {
            auto* option = static_cast<ui::COptionUI*>(control->CastTo(u"Option"));
            if (option == nullptr) {
                std::cerr << "--state: \"" << ToPrintable(name.c_str()) << "\" is no option or check box\n";
                return false;
            }
            option->Selected(true);
        } else {
            control->SetEnabled(false);
        }
        return true;
    }

    // What lies outside the window's rounded region never reaches the screen; the picture leaves
    // it transparent, so the author sees the corners the user sees. The region is the one the
    // uninstaller's window sets: the client rectangle grown by one, with the skin's ellipse size.
    // The region is logical, the picture at device resolution.
    void ClipToRoundCorners(const platform::PixelBuffer& pixels, double scale) const
    {
        const ui::CUISize corner = m_manager->RoundCorner();
        if (corner.cx == 0 && corner.cy == 0)
            return;
        const int width = platform::UnscaleLength(pixels.width, scale);
        const int height = platform::UnscaleLength(pixels.height, scale);
        const auto region = platform::WindowRegion::RoundRect(RECT{0, 0, width + 1, height + 1}, corner.cx, corner.cy);
        for (int y = 0; y < pixels.height; ++y) {
            std::uint32_t* row = pixels.Row(y);
            const int ly = platform::UnscaleCoordinate(y, scale);
            for (int x = 0; x < pixels.width; ++x)
                if (!region.Contains(platform::UnscaleCoordinate(x, scale), ly))
                    row[x] = 0;
        }
    }

    HWND m_window = nullptr;
    std::unique_ptr<ui::CWindowManagerUI> m_manager;
};

// The directory part of a path with its trailing separator; empty for a bare file name.
std::string DirectoryOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FileNameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

int RunRender(const Arguments& args)
{
    TRenderOptions options;
    if (!ParseRenderOptions(args, options)) {
        return kExitUsage;
    }
    if (!std::ifstream(options.skin)) {
        std::cerr << "cannot open " << options.skin << '\n';
        return kExitFailure;
    }
    const std::u16string folder = Widen(DirectoryOf(options.skin));
    const std::u16string file = Widen(FileNameOf(options.skin));
    ui::CWindowManagerUI::SetSkinFolder(folder.c_str());

    if (IsArchive(options.skin)) {
        // The archive's failures read as every other command prints them ("Correct password
        // required" without the password).
        if (const int code =
                ProbeArchiveMember(options.skin, "main.xml", options.hasPassword ? options.password.c_str() : nullptr);
            code != kExitOk) {
            return code;
        }
    }
    CRenderSession session(options.scale);
    if (IsArchive(options.skin)) {
        ui::CWindowManagerUI::SetSkinArchive(file.c_str(), ui::ArchiveMode::KeepOpen,
                                             options.hasPassword ? options.password.c_str() : nullptr);
        if (ui::CWindowManagerUI::OpenArchive() == nullptr) {
            std::cerr << "cannot open the skin archive " << options.skin << '\n';
            return kExitFailure;
        }
        const int code = session.Render(options, u"main.xml");
        ui::CWindowManagerUI::CloseArchive();
        ui::CWindowManagerUI::SetSkinArchive(u"", ui::ArchiveMode::OpenPerLoad, nullptr);
        return code;
    }
    ui::CWindowManagerUI::SetSkinArchive(u"", ui::ArchiveMode::OpenPerLoad, nullptr);
    return session.Render(options, file.c_str());
}

} // namespace skintool
