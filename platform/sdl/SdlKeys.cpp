// SDL key codes to Win32 virtual-key codes.
#include "platform/sdl/SdlKeys.h"

namespace platform {

UINT VirtualKeyFromSdl(SDL_Keycode key)
{
    if (key >= SDLK_a && key <= SDLK_z)
        return UINT('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9)
        return UINT('0' + (key - SDLK_0));
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return VK_F1 + UINT(key - SDLK_F1);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9)
        return VK_NUMPAD0 + 1 + UINT(key - SDLK_KP_1);
    switch (key) {
    case SDLK_KP_0:
        return VK_NUMPAD0;
    case SDLK_BACKSPACE:
        return VK_BACK;
    case SDLK_TAB:
        return VK_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return VK_RETURN;
    case SDLK_ESCAPE:
        return VK_ESCAPE;
    case SDLK_SPACE:
        return VK_SPACE;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
        return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
        return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT:
        return VK_MENU;
    case SDLK_LGUI:
        return VK_LWIN;
    case SDLK_RGUI:
        return VK_RWIN;
    case SDLK_APPLICATION:
        return VK_APPS;
    case SDLK_PAUSE:
        return VK_PAUSE;
    case SDLK_CAPSLOCK:
        return VK_CAPITAL;
    case SDLK_PAGEUP:
        return VK_PRIOR;
    case SDLK_PAGEDOWN:
        return VK_NEXT;
    case SDLK_END:
        return VK_END;
    case SDLK_HOME:
        return VK_HOME;
    case SDLK_LEFT:
        return VK_LEFT;
    case SDLK_UP:
        return VK_UP;
    case SDLK_RIGHT:
        return VK_RIGHT;
    case SDLK_DOWN:
        return VK_DOWN;
    case SDLK_PRINTSCREEN:
        return VK_SNAPSHOT;
    case SDLK_INSERT:
        return VK_INSERT;
    case SDLK_DELETE:
        return VK_DELETE;
    case SDLK_NUMLOCKCLEAR:
        return VK_NUMLOCK;
    case SDLK_SCROLLLOCK:
        return VK_SCROLL;
    case SDLK_KP_MULTIPLY:
        return VK_MULTIPLY;
    case SDLK_KP_PLUS:
        return VK_ADD;
    case SDLK_KP_MINUS:
        return VK_SUBTRACT;
    case SDLK_KP_PERIOD:
        return VK_DECIMAL;
    case SDLK_KP_DIVIDE:
        return VK_DIVIDE;
    case SDLK_SEMICOLON:
        return VK_OEM_1;
    case SDLK_EQUALS:
        return VK_OEM_PLUS;
    case SDLK_COMMA:
        return VK_OEM_COMMA;
    case SDLK_MINUS:
        return VK_OEM_MINUS;
    case SDLK_PERIOD:
        return VK_OEM_PERIOD;
    case SDLK_SLASH:
        return VK_OEM_2;
    case SDLK_BACKQUOTE:
        return VK_OEM_3;
    case SDLK_LEFTBRACKET:
        return VK_OEM_4;
    case SDLK_BACKSLASH:
        return VK_OEM_5;
    case SDLK_RIGHTBRACKET:
        return VK_OEM_6;
    case SDLK_QUOTE:
        return VK_OEM_7;
    default:
        return 0;
    }
}

} // namespace platform
