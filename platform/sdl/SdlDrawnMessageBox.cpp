// The drawn message box: text measured and wrapped with Pango, the picture painted with Cairo and
// copied into the SDL window's surface, and a modal event loop of its own.
//
// Focus and the default button move together, as in the desktop's own dialogs: the button with the
// focus ring is the one Enter answers, so what the user sees highlighted is what Enter confirms.
#include "platform/sdl/SdlDrawnMessageBox.h"

#include "platform/Geometry.h"
#include "platform/cairo/CairoShared.h"
#include "platform/sdl/SdlX11.h"

#include <SDL.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

namespace platform {

MessageBoxChoices MessageBoxChoicesFor(UINT type)
{
    MessageBoxChoices choices;
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        choices.buttons = {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
        break;
    case MB_ABORTRETRYIGNORE:
        choices.buttons = {{IDABORT, "Abort"}, {IDRETRY, "Retry"}, {IDIGNORE, "Ignore"}};
        break;
    case MB_YESNOCANCEL:
        choices.buttons = {{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}};
        break;
    case MB_YESNO:
        choices.buttons = {{IDYES, "Yes"}, {IDNO, "No"}};
        break;
    case MB_RETRYCANCEL:
        choices.buttons = {{IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}};
        break;
    default:
        choices.buttons = {{IDOK, "OK"}};
        break;
    }
    // Without a Cancel button, closing the box gives the last (most cautious) answer.
    const bool hasCancel = std::any_of(choices.buttons.begin(), choices.buttons.end(),
                                       [](const MessageBoxButton& b) { return b.id == IDCANCEL; });
    choices.dismissId = hasCancel ? IDCANCEL : choices.buttons.back().id;
    choices.defaultIndex = (type & MB_DEFBUTTON2) && choices.buttons.size() > 1 ? 1 : 0;
    return choices;
}

MessageBoxIcon MessageBoxIconFor(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONERROR:
        return MessageBoxIcon::Error;
    case MB_ICONWARNING:
        return MessageBoxIcon::Warning;
    default:
        return MessageBoxIcon::None;
    }
}

namespace {

constexpr int kWrapWidth = 400;
constexpr int kPadding = 20;
constexpr int kIconSize = 32;
constexpr int kIconGap = 14;
constexpr int kTextPixels = 13;
constexpr int kButtonHeight = 28;
constexpr int kButtonMinWidth = 84;
constexpr int kButtonTextPadding = 16;
constexpr int kButtonGap = 8;
constexpr int kFooterPadding = 12;
constexpr int kMinWidth = 260;

struct Rgb
{
    double r, g, b;
};
constexpr Rgb kBody{1.0, 1.0, 1.0};
constexpr Rgb kFooter{0.94, 0.94, 0.94};
constexpr Rgb kSeparator{0.87, 0.87, 0.87};
constexpr Rgb kText{0.10, 0.10, 0.10};
constexpr Rgb kButtonFace{0.99, 0.99, 0.99};
constexpr Rgb kButtonHover{0.90, 0.95, 0.99};
constexpr Rgb kButtonPressed{0.80, 0.89, 0.97};
constexpr Rgb kButtonBorder{0.68, 0.68, 0.68};
constexpr Rgb kAccent{0.0, 0.47, 0.84};
constexpr Rgb kErrorRed{0.82, 0.18, 0.16};
constexpr Rgb kWarningAmber{0.96, 0.73, 0.10};

struct CairoFree
{
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct GObjectFree
{
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct WindowFree
{
    void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
};
using CairoPtr = std::unique_ptr<cairo_t, CairoFree>;
using SurfacePtr = std::unique_ptr<cairo_surface_t, CairoFree>;
using LayoutPtr = std::unique_ptr<PangoLayout, GObjectFree>;
using WindowPtr = std::unique_ptr<SDL_Window, WindowFree>;

void SetSource(cairo_t* cr, const Rgb& c)
{
    cairo_set_source_rgb(cr, c.r, c.g, c.b);
}

// Text in the same face as the tooltips, wrapped at wrapWidth pixels when that is positive.
LayoutPtr MakeLayout(cairo_t* cr, const std::string& text, int wrapWidth)
{
    return LayoutPtr(cairo::CreateSansLayout(cr, text, kTextPixels, wrapWidth));
}

std::pair<int, int> PixelSize(PangoLayout* layout)
{
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    return {width, height};
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -G_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, G_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, G_PI / 2, G_PI);
    cairo_arc(cr, x + r, y + r, r, G_PI, 3 * G_PI / 2);
    cairo_close_path(cr);
}

void PaintIcon(cairo_t* cr, MessageBoxIcon icon, const MessageBoxLayout::Box& at)
{
    const double cx = at.x + at.width / 2.0, cy = at.y + at.height / 2.0, r = at.width / 2.0;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    if (icon == MessageBoxIcon::Error) {
        SetSource(cr, kErrorRed);
        cairo_arc(cr, cx, cy, r, 0, 2 * G_PI);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_set_line_width(cr, 3);
        const double d = r * 0.38;
        cairo_move_to(cr, cx - d, cy - d);
        cairo_line_to(cr, cx + d, cy + d);
        cairo_move_to(cr, cx + d, cy - d);
        cairo_line_to(cr, cx - d, cy + d);
        cairo_stroke(cr);
    } else if (icon == MessageBoxIcon::Warning) {
        SetSource(cr, kWarningAmber);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_set_line_width(cr, 4);
        cairo_move_to(cr, cx, at.y + 2);
        cairo_line_to(cr, at.x + at.width - 2, at.y + at.height - 3);
        cairo_line_to(cr, at.x + 2, at.y + at.height - 3);
        cairo_close_path(cr);
        cairo_fill_preserve(cr);
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 0.15, 0.15, 0.15);
        cairo_set_line_width(cr, 3);
        cairo_move_to(cr, cx, at.y + 11);
        cairo_line_to(cr, cx, at.y + 20);
        cairo_stroke(cr);
        cairo_arc(cr, cx, at.y + 25.5, 1.8, 0, 2 * G_PI);
        cairo_fill(cr);
    }
}

struct BoxState
{
    std::size_t focus = 0;
    std::optional<std::size_t> hover;
    std::optional<std::size_t> pressed;
};

void Paint(cairo_t* cr, const DrawnMessageBox& box, const MessageBoxLayout& layout, const BoxState& state)
{
    SetSource(cr, kBody);
    cairo_paint(cr);
    SetSource(cr, kFooter);
    cairo_rectangle(cr, 0, layout.footerTop, layout.width, layout.height - layout.footerTop);
    cairo_fill(cr);
    SetSource(cr, kSeparator);
    cairo_rectangle(cr, 0, layout.footerTop, layout.width, 1);
    cairo_fill(cr);

    PaintIcon(cr, box.icon, layout.icon);

    SetSource(cr, kText);
    cairo_move_to(cr, layout.text.x, layout.text.y);
    pango_cairo_show_layout(cr, MakeLayout(cr, box.text, kWrapWidth).get());

    for (std::size_t i = 0; i < layout.buttons.size(); ++i) {
        const MessageBoxLayout::Box& b = layout.buttons[i];
        const bool focused = i == state.focus;
        SetSource(cr, state.pressed == i && state.hover == i ? kButtonPressed
                      : state.hover == i                     ? kButtonHover
                                                             : kButtonFace);
        RoundedRect(cr, b.x + 0.5, b.y + 0.5, b.width - 1, b.height - 1, 4);
        cairo_fill_preserve(cr);
        SetSource(cr, focused ? kAccent : kButtonBorder);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        if (focused) {
            // The focus ring doubles the border inside, so it stays visible on any background.
            RoundedRect(cr, b.x + 1.5, b.y + 1.5, b.width - 3, b.height - 3, 3);
            cairo_stroke(cr);
        }
        const LayoutPtr label = MakeLayout(cr, box.choices.buttons[i].label, 0);
        const auto [lw, lh] = PixelSize(label.get());
        SetSource(cr, kText);
        cairo_move_to(cr, b.x + (b.width - lw) / 2, b.y + (b.height - lh) / 2);
        pango_cairo_show_layout(cr, label.get());
    }
}

// Copies the Cairo picture (native-endian ARGB) into whatever format the window surface has.
void Present(SDL_Window* window, cairo_surface_t* picture)
{
    SDL_Surface* target = SDL_GetWindowSurface(window);
    if (!target)
        return;
    cairo_surface_flush(picture);
    const int width = std::min(cairo_image_surface_get_width(picture), target->w);
    const int height = std::min(cairo_image_surface_get_height(picture), target->h);
    SDL_LockSurface(target);
    SDL_ConvertPixels(width, height, SDL_PIXELFORMAT_ARGB8888, cairo_image_surface_get_data(picture),
                      cairo_image_surface_get_stride(picture), target->format->format, target->pixels, target->pitch);
    SDL_UnlockSurface(target);
    SDL_UpdateWindowSurface(window);
}

// The window an event belongs to, or 0 for events of no window.
Uint32 EventWindow(const SDL_Event& e)
{
    switch (e.type) {
    case SDL_WINDOWEVENT:
        return e.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return e.key.windowID;
    case SDL_TEXTINPUT:
        return e.text.windowID;
    case SDL_TEXTEDITING:
        return e.edit.windowID;
    case SDL_MOUSEMOTION:
        return e.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return e.button.windowID;
    case SDL_MOUSEWHEEL:
        return e.wheel.windowID;
    default:
        return 0;
    }
}

std::optional<std::size_t> ButtonAt(const MessageBoxLayout& layout, int x, int y)
{
    for (std::size_t i = 0; i < layout.buttons.size(); ++i)
        if (layout.buttons[i].Contains(x, y))
            return i;
    return std::nullopt;
}

// Centred on the owner and kept on the owner's monitor, or centred on the screen without an owner.
SDL_Point Placement(SDL_Window* owner, int width, int height)
{
    if (!owner)
        return SDL_Point{int(SDL_WINDOWPOS_CENTERED), int(SDL_WINDOWPOS_CENTERED)};
    int ox = 0, oy = 0, ow = 0, oh = 0;
    SDL_GetWindowPosition(owner, &ox, &oy);
    SDL_GetWindowSize(owner, &ow, &oh);
    SDL_Point at{ox + (ow - width) / 2, oy + (oh - height) / 2};
    SDL_Rect usable;
    const int display = SDL_GetWindowDisplayIndex(owner);
    if (display >= 0 && SDL_GetDisplayUsableBounds(display, &usable) == 0) {
        at.x = std::clamp(at.x, usable.x, std::max(usable.x, usable.x + usable.w - width));
        at.y = std::clamp(at.y, usable.y, std::max(usable.y, usable.y + usable.h - height));
    }
    return at;
}

} // namespace

MessageBoxLayout LayOutMessageBox(const DrawnMessageBox& box)
{
    const SurfacePtr scratch(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
    const CairoPtr cr(cairo_create(scratch.get()));
    MessageBoxLayout layout;
    const auto [textWidth, textHeight] = PixelSize(MakeLayout(cr.get(), box.text, kWrapWidth).get());
    int textLeft = kPadding;
    int contentHeight = textHeight;
    if (box.icon != MessageBoxIcon::None) {
        layout.icon = {kPadding, kPadding, kIconSize, kIconSize};
        textLeft += kIconSize + kIconGap;
        contentHeight = std::max(contentHeight, kIconSize);
    }
    // Text shorter than the icon sits level with the icon's middle.
    layout.text = {textLeft, kPadding + (contentHeight - textHeight) / 2, textWidth, textHeight};

    std::vector<int> widths;
    int rowWidth = 0;
    for (const MessageBoxButton& button : box.choices.buttons) {
        const int labelWidth = PixelSize(MakeLayout(cr.get(), button.label, 0).get()).first;
        widths.push_back(std::max(kButtonMinWidth, labelWidth + 2 * kButtonTextPadding));
        rowWidth += widths.back() + (widths.size() > 1 ? kButtonGap : 0);
    }
    layout.footerTop = kPadding + contentHeight + kPadding;
    layout.width = std::max({kMinWidth, textLeft + textWidth + kPadding, rowWidth + 2 * kPadding});
    layout.height = layout.footerTop + 2 * kFooterPadding + kButtonHeight;
    // Buttons sit at the right of the footer, in the order of the choices.
    int x = layout.width - kPadding - rowWidth;
    for (int width : widths) {
        layout.buttons.push_back({x, layout.footerTop + kFooterPadding, width, kButtonHeight});
        x += width + kButtonGap;
    }
    return layout;
}

int ShowDrawnMessageBox(const DrawnMessageBox& box, SDL_Window* owner,
                        const std::function<void(const SDL_Event&)>& otherEvent, const std::function<void()>& whileOpen)
{
    const MessageBoxChoices& choices = box.choices;
    if (choices.buttons.empty())
        return choices.dismissId;
    const MessageBoxLayout layout = LayOutMessageBox(box);
    const double scale = SaneScale(box.scale);
    const int deviceWidth = ScaleEdge(layout.width, scale), deviceHeight = ScaleEdge(layout.height, scale);
    const SDL_Point at = Placement(owner, deviceWidth, deviceHeight);
    WindowPtr window(SDL_CreateWindow(box.title.c_str(), at.x, at.y, deviceWidth, deviceHeight, SDL_WINDOW_HIDDEN));
    if (!window)
        return choices.dismissId;
    if (owner)
        SDL_SetWindowModalFor(window.get(), owner);
    if (box.windowIcon)
        SDL_SetWindowIcon(window.get(), box.windowIcon);
    // Before it is mapped, so that the desktop decorates it as a dialog from the start.
    MarkSdlWindowAsDialog(window.get());
    SDL_ShowWindow(window.get());
    // Showing may rewrite the hints (SDL keeps its own idea of the border), so they are set again;
    // the desktop rereads them when they change.
    MarkSdlWindowAsDialog(window.get());
    SDL_RaiseWindow(window.get());
    // Where no window manager hands out the keyboard, the box takes it itself.
    SDL_SetWindowInputFocus(window.get());
    const Uint32 id = SDL_GetWindowID(window.get());

    const SurfacePtr picture(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, deviceWidth, deviceHeight));
    const CairoPtr cr(cairo_create(picture.get()));
    // Drawn in logical pixels, sharp at the device resolution.
    cairo_scale(cr.get(), scale, scale);
    const auto buttonAt = [&](int x, int y) {
        return ButtonAt(layout, UnscaleCoordinate(x, scale), UnscaleCoordinate(y, scale));
    };
    BoxState state;
    state.focus = std::min(choices.defaultIndex, choices.buttons.size() - 1);
    const auto repaint = [&] {
        Paint(cr.get(), box, layout, state);
        Present(window.get(), picture.get());
    };
    repaint();

    const std::size_t count = choices.buttons.size();
    std::optional<int> answer;
    while (!answer) {
        // Polled, not waited for: while SDL waits it may aim a wake-up message at the newest window,
        // which is this box, from a second X connection. Destroyed the moment an answer arrives, the
        // box can be gone before the X server delivers that message, and the resulting BadWindow
        // error ends the whole process.
        SDL_Event e;
        if (!SDL_PollEvent(&e)) {
            if (whileOpen)
                whileOpen();
            SDL_Delay(5);
            continue;
        }
        // Keys reach the box from any of our windows: without a window manager the keyboard may
        // still sit on the owner, and the owner must not act on them anyway.
        if (e.type == SDL_KEYDOWN) {
            // A key held down since before the box opened must not answer it by repeating.
            const bool fresh = e.key.repeat == 0;
            switch (e.key.keysym.sym) {
            case SDLK_RETURN:
            case SDLK_KP_ENTER:
            case SDLK_SPACE:
                if (fresh)
                    answer = choices.buttons[state.focus].id;
                break;
            case SDLK_ESCAPE:
                if (fresh)
                    answer = choices.dismissId;
                break;
            case SDLK_TAB:
                state.focus =
                    (e.key.keysym.mod & KMOD_SHIFT) ? (state.focus + count - 1) % count : (state.focus + 1) % count;
                repaint();
                break;
            case SDLK_RIGHT:
                state.focus = (state.focus + 1) % count;
                repaint();
                break;
            case SDLK_LEFT:
                state.focus = (state.focus + count - 1) % count;
                repaint();
                break;
            default:
                break;
            }
            continue;
        }
        if (EventWindow(e) != id) {
            otherEvent(e);
            continue;
        }
        switch (e.type) {
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
                answer = choices.dismissId;
            } else if (e.window.event == SDL_WINDOWEVENT_LEAVE) {
                state.hover.reset();
                repaint();
            } else if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SHOWN ||
                       e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                repaint();
            }
            break;
        case SDL_MOUSEMOTION: {
            const std::optional<std::size_t> hover = buttonAt(e.motion.x, e.motion.y);
            if (hover != state.hover) {
                state.hover = hover;
                repaint();
            }
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
            if (e.button.button == SDL_BUTTON_LEFT) {
                state.hover = state.pressed = buttonAt(e.button.x, e.button.y);
                if (state.pressed)
                    state.focus = *state.pressed;
                repaint();
            }
            break;
        case SDL_MOUSEBUTTONUP:
            // A click counts only when the button is released over the button it was pressed on.
            if (e.button.button == SDL_BUTTON_LEFT) {
                if (state.pressed && buttonAt(e.button.x, e.button.y) == state.pressed)
                    answer = choices.buttons[*state.pressed].id;
                state.pressed.reset();
                repaint();
            }
            break;
        default:
            break;
        }
    }

    window.reset();
    // Input already queued for the box (the release of the answering key) must not land on the owner.
    SDL_PumpEvents();
    Uint32 gone = id;
    SDL_FilterEvents([](void* data, SDL_Event* e) { return EventWindow(*e) == *static_cast<Uint32*>(data) ? 0 : 1; },
                     &gone);
    if (owner && (SDL_GetWindowFlags(owner) & SDL_WINDOW_SHOWN))
        SDL_RaiseWindow(owner);
    return *answer;
}

} // namespace platform
