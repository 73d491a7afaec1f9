// The Win32 vocabulary that the behaviour of this system is stated in, under the Win32 names and
// with the Win32 values, so that code above the platform layer reads like its tables.
//
// On Windows the declarations are the system's own (windows.h), so that the Win32 backend can
// include both this header and the system's; elsewhere this header declares them itself, with the
// same values and, for the records the window system shares, the same fields in the same order.
// The names and values that both need beyond windows.h follow at the end.
#pragma once

#include <cstdint>

#ifdef _WIN32

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>

// windows.h names every function that comes in an ANSI and a UTF-16 form by a macro for one of the
// two (DeleteFile -> DeleteFileW). Functions and methods of ours carry many of these names; with
// the macros in force they would silently be declared and called under the W name. The macros go:
// our names stay ours, and Win32 code calls the system's functions by their explicit names
// (::DeleteFileW(platform::Win32Text(path)), ::SendMessageW), which windows.h declares as they are.
#undef CallWindowProc
#undef CreateWindowEx
#undef DefWindowProc
#undef DeleteFile
#undef DispatchMessage
#undef DrawText
#undef FindResource
#undef FindText
#undef FindWindow
#undef GetClassInfoEx
#undef GetClassName
#undef GetEnvironmentVariable
#undef GetMessage
#undef GetModuleFileName
#undef GetMonitorInfo
#undef GetObject
#undef GetProp
#undef GetTextMetrics
#undef GetWindowLongPtr
#undef GetWindowText
#undef LoadCursor
#undef LoadImage
#undef MessageBox
#undef PeekMessage
#undef PostMessage
#undef PostThreadMessage
#undef RegisterClassEx
#undef RemoveDirectory
#undef RemoveProp
#undef SendMessage
#undef SetCurrentDirectory
#undef SetProp
#undef SetWindowLongPtr
#undef SetWindowText
#undef TranslateAccelerator
#undef UnregisterClass

// Window data indexes that windows.h defines for 32-bit builds only; the window system takes them
// for pointer-sized data too (its GetWindowLongPtr), as the 64-bit API's GWLP_* forms.
constexpr int GWL_WNDPROC = GWLP_WNDPROC;
constexpr int GWL_HINSTANCE = GWLP_HINSTANCE;
constexpr int GWL_HWNDPARENT = GWLP_HWNDPARENT;
constexpr int GWL_USERDATA = GWLP_USERDATA;

// Names that windows.h defines in a form our strings and cursor ids do not take (wchar_t text,
// cursor ids as resource pointers); the forms at the end of this header serve instead.
#undef IDC_ARROW
#undef IDC_IBEAM
#undef IDC_WAIT
#undef IDC_CROSS
#undef IDC_UPARROW
#undef IDC_SIZENWSE
#undef IDC_SIZENESW
#undef IDC_SIZEWE
#undef IDC_SIZENS
#undef IDC_SIZEALL
#undef IDC_NO
#undef IDC_HAND
#undef IDC_APPSTARTING
#undef IDC_HELP
#undef MAKEINTRESOURCEW
#undef TOOLTIPS_CLASSW

#else // not _WIN32

// ---------------------------------------------------------------------------------------------
// Basic integer types
// ---------------------------------------------------------------------------------------------
using DWORD = std::uint32_t;
using UINT = unsigned int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
// The unit of UTF-16 text in the records and the W functions.
using WCHAR = char16_t;

// ---------------------------------------------------------------------------------------------
// Error codes
// ---------------------------------------------------------------------------------------------
constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_INVALID_DATA = 13;
constexpr DWORD ERROR_WRITE_PROTECT = 19;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_DIR_NOT_EMPTY = 145;
constexpr DWORD ERROR_DISK_FULL = 112;
constexpr DWORD ERROR_ALREADY_EXISTS = 183;
constexpr DWORD ERROR_FILE_TOO_LARGE = 223;
constexpr DWORD ERROR_MORE_DATA = 234;
constexpr DWORD ERROR_NO_MORE_ITEMS = 259;
constexpr DWORD ERROR_BUSY = 170;

// ---------------------------------------------------------------------------------------------
// Text drawing styles (DT_*)
// ---------------------------------------------------------------------------------------------
constexpr UINT DT_TOP = 0x00000000;
constexpr UINT DT_LEFT = 0x00000000;
constexpr UINT DT_CENTER = 0x00000001;
constexpr UINT DT_RIGHT = 0x00000002;
constexpr UINT DT_VCENTER = 0x00000004;
constexpr UINT DT_BOTTOM = 0x00000008;
constexpr UINT DT_WORDBREAK = 0x00000010;
constexpr UINT DT_SINGLELINE = 0x00000020;
constexpr UINT DT_EXPANDTABS = 0x00000040;
constexpr UINT DT_TABSTOP = 0x00000080;
constexpr UINT DT_NOCLIP = 0x00000100;
constexpr UINT DT_EXTERNALLEADING = 0x00000200;
constexpr UINT DT_CALCRECT = 0x00000400;
constexpr UINT DT_NOPREFIX = 0x00000800;
constexpr UINT DT_INTERNAL = 0x00001000;
constexpr UINT DT_EDITCONTROL = 0x00002000;
constexpr UINT DT_PATH_ELLIPSIS = 0x00004000;
constexpr UINT DT_END_ELLIPSIS = 0x00008000;
constexpr UINT DT_MODIFYSTRING = 0x00010000;
constexpr UINT DT_RTLREADING = 0x00020000;
constexpr UINT DT_WORD_ELLIPSIS = 0x00040000;
constexpr UINT DT_NOFULLWIDTHCHARBREAK = 0x00080000;
constexpr UINT DT_HIDEPREFIX = 0x00100000;
constexpr UINT DT_PREFIXONLY = 0x00200000;

// ---------------------------------------------------------------------------------------------
// Pen styles (PS_*)
// ---------------------------------------------------------------------------------------------
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_DASHDOT = 3;
constexpr int PS_DASHDOTDOT = 4;
constexpr int PS_NULL = 5;
constexpr int PS_INSIDEFRAME = 6;

// ---------------------------------------------------------------------------------------------
// Windowing vocabulary (messages, keys, hit-test codes, system commands, styles, show commands,
// message boxes, cursors) follows below.
// ---------------------------------------------------------------------------------------------

// Handles are opaque pointers. A window handle encodes a never-reused number, so a stale handle
// simply names no window instead of pointing at freed memory.
struct HWND__;
struct HICON__;
struct HINSTANCE__;
struct HMONITOR__;
using HWND = HWND__*;
using HICON = HICON__*;
using HCURSOR = HICON__*;
using HINSTANCE = HINSTANCE__*;
using HMENU = void*;
using HMONITOR = HMONITOR__*;
using HANDLE = void*;

using BOOL = int;
using BYTE = std::uint8_t;
using COLORREF = DWORD; // 0x00BBGGRR
using WORD = std::uint16_t;
using LONG = std::int32_t;
using LONG_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using ATOM = WORD;

struct POINT
{
    LONG x = 0;
    LONG y = 0;
};

struct SIZE
{
    LONG cx = 0;
    LONG cy = 0;
};

struct RECT
{
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
};

// A queued message as GetMessage returns it.
struct MSG
{
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;
    POINT pt;
};

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

// Class registration record; the class name is UTF-16 like every window text.
struct WNDCLASSEXW
{
    UINT cbSize = sizeof(WNDCLASSEXW);
    UINT style = 0;
    WNDPROC lpfnWndProc = nullptr;
    int cbClsExtra = 0;
    int cbWndExtra = 0;
    HINSTANCE hInstance = nullptr;
    HICON hIcon = nullptr;
    HCURSOR hCursor = nullptr;
    void* hbrBackground = nullptr;
    const char16_t* lpszMenuName = nullptr;
    const char16_t* lpszClassName = nullptr;
    HICON hIconSm = nullptr;
};

// The record WM_NCCREATE and WM_CREATE carry in lParam; the creation parameter comes first.
struct CREATESTRUCTW
{
    void* lpCreateParams = nullptr;
    HINSTANCE hInstance = nullptr;
    HMENU hMenu = nullptr;
    HWND hwndParent = nullptr;
    int cy = 0;
    int cx = 0;
    int y = 0;
    int x = 0;
    LONG style = 0;
    const char16_t* lpszName = nullptr;
    const char16_t* lpszClass = nullptr;
    DWORD dwExStyle = 0;
};

struct MINMAXINFO
{
    POINT ptReserved;
    POINT ptMaxSize;
    POINT ptMaxPosition;
    POINT ptMinTrackSize;
    POINT ptMaxTrackSize;
};

struct TRACKMOUSEEVENT
{
    DWORD cbSize = sizeof(TRACKMOUSEEVENT);
    DWORD dwFlags = 0;
    HWND hwndTrack = nullptr;
    DWORD dwHoverTime = 0;
};

struct MONITORINFO
{
    DWORD cbSize = sizeof(MONITORINFO);
    RECT rcMonitor;
    RECT rcWork;
    DWORD dwFlags = 0;
};

// Packing helpers for wParam/lParam, with the sign extension the GET_*_LPARAM forms imply.
constexpr WORD LOWORD(std::uintptr_t v)
{
    return WORD(v & 0xFFFF);
}
constexpr WORD HIWORD(std::uintptr_t v)
{
    return WORD((v >> 16) & 0xFFFF);
}
constexpr LPARAM MAKELPARAM(int lo, int hi)
{
    return LPARAM(DWORD((WORD(lo)) | (DWORD(WORD(hi)) << 16)));
}
constexpr WPARAM MAKEWPARAM(int lo, int hi)
{
    return WPARAM(DWORD((WORD(lo)) | (DWORD(WORD(hi)) << 16)));
}
constexpr int GET_WHEEL_DELTA_WPARAM(WPARAM wp)
{
    return int(std::int16_t(HIWORD(wp)));
}
constexpr WORD GET_KEYSTATE_WPARAM(WPARAM wp)
{
    return LOWORD(wp);
}
inline bool IS_INTRESOURCE(const void* p)
{
    return (std::uintptr_t(p) >> 16) == 0;
}

// ---------------------------------------------------------------------------------------------
// Window messages (WM_*)
// ---------------------------------------------------------------------------------------------
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETREDRAW = 0x000B;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_MOUSEACTIVATE = 0x0021;
constexpr UINT WM_GETMINMAXINFO = 0x0024;
constexpr UINT WM_SETFONT = 0x0030;
constexpr UINT WM_GETFONT = 0x0031;
constexpr UINT WM_WINDOWPOSCHANGING = 0x0046;
constexpr UINT WM_WINDOWPOSCHANGED = 0x0047;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_CONTEXTMENU = 0x007B;
constexpr UINT WM_STYLECHANGING = 0x007C;
constexpr UINT WM_STYLECHANGED = 0x007D;
constexpr UINT WM_GETICON = 0x007F;
constexpr UINT WM_SETICON = 0x0080;
constexpr UINT WM_NCCREATE = 0x0081;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_NCCALCSIZE = 0x0083;
constexpr UINT WM_NCHITTEST = 0x0084;
constexpr UINT WM_NCPAINT = 0x0085;
constexpr UINT WM_NCACTIVATE = 0x0086;
constexpr UINT WM_GETDLGCODE = 0x0087;
constexpr UINT WM_NCMOUSEMOVE = 0x00A0;
constexpr UINT WM_NCLBUTTONDOWN = 0x00A1;
constexpr UINT WM_NCLBUTTONUP = 0x00A2;
constexpr UINT WM_NCLBUTTONDBLCLK = 0x00A3;
constexpr UINT WM_NCRBUTTONDOWN = 0x00A4;
constexpr UINT WM_NCRBUTTONUP = 0x00A5;
constexpr UINT WM_KEYFIRST = 0x0100;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_DEADCHAR = 0x0103;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCHAR = 0x0106;
constexpr UINT WM_KEYLAST = 0x0109;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT WM_CTLCOLOREDIT = 0x0133;
constexpr UINT WM_CTLCOLORSTATIC = 0x0138;
constexpr UINT WM_MOUSEFIRST = 0x0200;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_MOUSEHWHEEL = 0x020E;
constexpr UINT WM_MOUSELAST = 0x020E;
constexpr UINT WM_SIZING = 0x0214;
constexpr UINT WM_CAPTURECHANGED = 0x0215;
constexpr UINT WM_MOVING = 0x0216;
constexpr UINT WM_ENTERSIZEMOVE = 0x0231;
constexpr UINT WM_EXITSIZEMOVE = 0x0232;
constexpr UINT WM_MOUSEHOVER = 0x02A1;
constexpr UINT WM_MOUSELEAVE = 0x02A3;
constexpr UINT WM_PRINT = 0x0317;
constexpr UINT WM_PRINTCLIENT = 0x0318;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

// ---------------------------------------------------------------------------------------------
// Virtual keys (VK_*); letters and digits are their ASCII upper-case codes
// ---------------------------------------------------------------------------------------------
constexpr UINT VK_LBUTTON = 0x01;
constexpr UINT VK_RBUTTON = 0x02;
constexpr UINT VK_CANCEL = 0x03;
constexpr UINT VK_MBUTTON = 0x04;
constexpr UINT VK_BACK = 0x08;
constexpr UINT VK_TAB = 0x09;
constexpr UINT VK_CLEAR = 0x0C;
constexpr UINT VK_RETURN = 0x0D;
constexpr UINT VK_SHIFT = 0x10;
constexpr UINT VK_CONTROL = 0x11;
constexpr UINT VK_MENU = 0x12;
constexpr UINT VK_PAUSE = 0x13;
constexpr UINT VK_CAPITAL = 0x14;
constexpr UINT VK_ESCAPE = 0x1B;
constexpr UINT VK_SPACE = 0x20;
constexpr UINT VK_PRIOR = 0x21;
constexpr UINT VK_NEXT = 0x22;
constexpr UINT VK_END = 0x23;
constexpr UINT VK_HOME = 0x24;
constexpr UINT VK_LEFT = 0x25;
constexpr UINT VK_UP = 0x26;
constexpr UINT VK_RIGHT = 0x27;
constexpr UINT VK_DOWN = 0x28;
constexpr UINT VK_SNAPSHOT = 0x2C;
constexpr UINT VK_INSERT = 0x2D;
constexpr UINT VK_DELETE = 0x2E;
constexpr UINT VK_LWIN = 0x5B;
constexpr UINT VK_RWIN = 0x5C;
constexpr UINT VK_APPS = 0x5D;
constexpr UINT VK_NUMPAD0 = 0x60;
constexpr UINT VK_MULTIPLY = 0x6A;
constexpr UINT VK_ADD = 0x6B;
constexpr UINT VK_SEPARATOR = 0x6C;
constexpr UINT VK_SUBTRACT = 0x6D;
constexpr UINT VK_DECIMAL = 0x6E;
constexpr UINT VK_DIVIDE = 0x6F;
constexpr UINT VK_F1 = 0x70;
constexpr UINT VK_F4 = 0x73;
constexpr UINT VK_F10 = 0x79;
constexpr UINT VK_F12 = 0x7B;
constexpr UINT VK_NUMLOCK = 0x90;
constexpr UINT VK_SCROLL = 0x91;
constexpr UINT VK_LSHIFT = 0xA0;
constexpr UINT VK_RSHIFT = 0xA1;
constexpr UINT VK_LCONTROL = 0xA2;
constexpr UINT VK_RCONTROL = 0xA3;
constexpr UINT VK_LMENU = 0xA4;
constexpr UINT VK_RMENU = 0xA5;
constexpr UINT VK_OEM_1 = 0xBA;
constexpr UINT VK_OEM_PLUS = 0xBB;
constexpr UINT VK_OEM_COMMA = 0xBC;
constexpr UINT VK_OEM_MINUS = 0xBD;
constexpr UINT VK_OEM_PERIOD = 0xBE;
constexpr UINT VK_OEM_2 = 0xBF;
constexpr UINT VK_OEM_3 = 0xC0;
constexpr UINT VK_OEM_4 = 0xDB;
constexpr UINT VK_OEM_5 = 0xDC;
constexpr UINT VK_OEM_6 = 0xDD;
constexpr UINT VK_OEM_7 = 0xDE;

// ---------------------------------------------------------------------------------------------
// Mouse-key masks (MK_*) in the wParam of mouse messages
// ---------------------------------------------------------------------------------------------
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;
constexpr int WHEEL_DELTA = 120;

// ---------------------------------------------------------------------------------------------
// Hit-test codes (HT*)
// ---------------------------------------------------------------------------------------------
constexpr LRESULT HTERROR = -2;
constexpr LRESULT HTTRANSPARENT = -1;
constexpr LRESULT HTNOWHERE = 0;
constexpr LRESULT HTCLIENT = 1;
constexpr LRESULT HTCAPTION = 2;
constexpr LRESULT HTSYSMENU = 3;
constexpr LRESULT HTGROWBOX = 4;
constexpr LRESULT HTMINBUTTON = 8;
constexpr LRESULT HTMAXBUTTON = 9;
constexpr LRESULT HTLEFT = 10;
constexpr LRESULT HTRIGHT = 11;
constexpr LRESULT HTTOP = 12;
constexpr LRESULT HTTOPLEFT = 13;
constexpr LRESULT HTTOPRIGHT = 14;
constexpr LRESULT HTBOTTOM = 15;
constexpr LRESULT HTBOTTOMLEFT = 16;
constexpr LRESULT HTBOTTOMRIGHT = 17;
constexpr LRESULT HTBORDER = 18;
constexpr LRESULT HTCLOSE = 20;

// ---------------------------------------------------------------------------------------------
// System commands (SC_*), the wParam of WM_SYSCOMMAND
// ---------------------------------------------------------------------------------------------
constexpr WPARAM SC_SIZE = 0xF000;
constexpr WPARAM SC_MOVE = 0xF010;
constexpr WPARAM SC_MINIMIZE = 0xF020;
constexpr WPARAM SC_MAXIMIZE = 0xF030;
constexpr WPARAM SC_CLOSE = 0xF060;
constexpr WPARAM SC_KEYMENU = 0xF100;
constexpr WPARAM SC_RESTORE = 0xF120;

// ---------------------------------------------------------------------------------------------
// Window styles (WS_*), extended styles (WS_EX_*) and class styles (CS_*)
// ---------------------------------------------------------------------------------------------
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_MAXIMIZE = 0x01000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr DWORD WS_POPUPWINDOW = WS_POPUP | WS_BORDER | WS_SYSMENU;

constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001;
constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr DWORD WS_EX_TRANSPARENT = 0x00000020;
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
constexpr DWORD WS_EX_WINDOWEDGE = 0x00000100;
constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000;
constexpr DWORD WS_EX_LAYERED = 0x00080000;
// SetLayeredWindowAttributes flags.
constexpr DWORD LWA_COLORKEY = 0x00000001;
constexpr DWORD LWA_ALPHA = 0x00000002;
constexpr DWORD WS_EX_NOACTIVATE = 0x08000000;

constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;
constexpr UINT CS_OWNDC = 0x0020;
constexpr UINT CS_NOCLOSE = 0x0200;
constexpr UINT CS_SAVEBITS = 0x0800;
constexpr UINT CS_GLOBALCLASS = 0x4000;
constexpr UINT CS_DROPSHADOW = 0x00020000;

// Default position and size for CreateWindowEx.
constexpr int CW_USEDEFAULT = int(0x80000000);

// ---------------------------------------------------------------------------------------------
// Show commands (SW_*), window positioning (SWP_*, HWND_*), window data (GWL_*), relations (GW_*)
// ---------------------------------------------------------------------------------------------
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_NORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;
constexpr int SW_SHOWDEFAULT = 10;

constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_FRAMECHANGED = 0x0020;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;
constexpr UINT SWP_NOOWNERZORDER = 0x0200;

inline const HWND HWND_TOP = reinterpret_cast<HWND>(std::intptr_t(0));
inline const HWND HWND_BOTTOM = reinterpret_cast<HWND>(std::intptr_t(1));
inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(std::intptr_t(-1));
inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(std::intptr_t(-2));

constexpr int GWL_WNDPROC = -4;
constexpr int GWL_HINSTANCE = -6;
constexpr int GWL_HWNDPARENT = -8;
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWL_USERDATA = -21;
constexpr int GWL_ID = -12;
constexpr int GWLP_WNDPROC = GWL_WNDPROC;
constexpr int GWLP_USERDATA = GWL_USERDATA;

constexpr UINT GW_HWNDFIRST = 0;
constexpr UINT GW_HWNDLAST = 1;
constexpr UINT GW_HWNDNEXT = 2;
constexpr UINT GW_HWNDPREV = 3;
constexpr UINT GW_OWNER = 4;
constexpr UINT GW_CHILD = 5;
constexpr UINT GA_PARENT = 1;
constexpr UINT GA_ROOT = 2;

constexpr DWORD MONITOR_DEFAULTTONULL = 0;
constexpr DWORD MONITOR_DEFAULTTOPRIMARY = 1;
constexpr DWORD MONITOR_DEFAULTTONEAREST = 2;

// WM_SIZE kinds, WM_ACTIVATE states, WM_MOUSEACTIVATE answers, WM_SETICON sizes.
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;
constexpr WPARAM WA_INACTIVE = 0;
constexpr WPARAM WA_ACTIVE = 1;
constexpr WPARAM WA_CLICKACTIVE = 2;
constexpr LRESULT MA_ACTIVATE = 1;
constexpr LRESULT MA_NOACTIVATE = 3;
constexpr WPARAM ICON_SMALL = 0;
constexpr WPARAM ICON_BIG = 1;

// Hover and leave tracking (TrackMouseEvent).
constexpr DWORD TME_HOVER = 0x00000001;
constexpr DWORD TME_LEAVE = 0x00000002;
constexpr DWORD TME_CANCEL = 0x80000000;
constexpr DWORD HOVER_DEFAULT = 0xFFFFFFFF;

// PeekMessage removal flags.
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// ---------------------------------------------------------------------------------------------
// System metrics (SM_*)
// ---------------------------------------------------------------------------------------------
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CXCURSOR = 13;
constexpr int SM_CYCURSOR = 14;
constexpr int SM_CXDOUBLECLK = 36;
constexpr int SM_CYDOUBLECLK = 37;
constexpr int SM_CXSMICON = 49;
constexpr int SM_CYSMICON = 50;

// ---------------------------------------------------------------------------------------------
// Message boxes: flags (MB_*) and answers (ID*)
// ---------------------------------------------------------------------------------------------
constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_RETRYCANCEL = 0x00000005;
constexpr UINT MB_TYPEMASK = 0x0000000F;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONWARNING = 0x00000030;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr UINT MB_ICONMASK = 0x000000F0;
constexpr UINT MB_DEFBUTTON1 = 0x00000000;
constexpr UINT MB_DEFBUTTON2 = 0x00000100;
constexpr UINT MB_APPLMODAL = 0x00000000;
constexpr UINT MB_SYSTEMMODAL = 0x00001000;
constexpr UINT MB_TASKMODAL = 0x00002000;
constexpr UINT MB_TOPMOST = 0x00040000;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Image kinds for LoadImage.
constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT IMAGE_ICON = 1;
constexpr UINT IMAGE_CURSOR = 2;
constexpr UINT LR_DEFAULTCOLOR = 0x0000;

// Class registration error beside the ones above.
constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr DWORD ERROR_CANNOT_FIND_WND_CLASS = 1407;
constexpr DWORD ERROR_CLASS_ALREADY_EXISTS = 1410;
constexpr DWORD ERROR_CLASS_DOES_NOT_EXIST = 1411;

// ---------------------------------------------------------------------------------------------
// Tooltips: the platform's tooltip class and its messages (TTM_*), flags and delays
// ---------------------------------------------------------------------------------------------

constexpr UINT TTM_ACTIVATE = WM_USER + 1;
constexpr UINT TTM_SETDELAYTIME = WM_USER + 3;
constexpr UINT TTM_TRACKACTIVATE = WM_USER + 17;
constexpr UINT TTM_TRACKPOSITION = WM_USER + 18;
constexpr UINT TTM_GETDELAYTIME = WM_USER + 21;
constexpr UINT TTM_SETMAXTIPWIDTH = WM_USER + 24;
constexpr UINT TTM_GETMAXTIPWIDTH = WM_USER + 25;
constexpr UINT TTM_POP = WM_USER + 28;
constexpr UINT TTM_ADDTOOLW = WM_USER + 50;
constexpr UINT TTM_DELTOOLW = WM_USER + 51;
constexpr UINT TTM_SETTOOLINFOW = WM_USER + 54;
constexpr UINT TTM_UPDATETIPTEXTW = WM_USER + 57;

constexpr UINT TTF_IDISHWND = 0x0001;
constexpr UINT TTF_CENTERTIP = 0x0002;
constexpr UINT TTF_SUBCLASS = 0x0010;
constexpr UINT TTF_TRACK = 0x0020;
constexpr UINT TTF_ABSOLUTE = 0x0080;
constexpr UINT TTF_TRANSPARENT = 0x0100;

constexpr DWORD TTS_ALWAYSTIP = 0x01;
constexpr DWORD TTS_NOPREFIX = 0x02;

constexpr WPARAM TTDT_AUTOMATIC = 0;
constexpr WPARAM TTDT_RESHOW = 1;
constexpr WPARAM TTDT_AUTOPOP = 2;
constexpr WPARAM TTDT_INITIAL = 3;

struct TOOLINFOW
{
    UINT cbSize = sizeof(TOOLINFOW);
    UINT uFlags = 0;
    HWND hwnd = nullptr;
    UINT_PTR uId = 0;
    RECT rect;
    HINSTANCE hinst = nullptr;
    const char16_t* lpszText = nullptr;
    LPARAM lParam = 0;
    void* lpReserved = nullptr;
};

#endif // _WIN32

// ---------------------------------------------------------------------------------------------
// Names both need beyond windows.h: strings and resource names are char16_t here, cursor ids are
// integers the window system maps, and the coordinate unpacking of windowsx.h.
// ---------------------------------------------------------------------------------------------
constexpr int GET_X_LPARAM(LPARAM lp)
{
    return int(std::int16_t(LOWORD(std::uintptr_t(lp))));
}
constexpr int GET_Y_LPARAM(LPARAM lp)
{
    return int(std::int16_t(HIWORD(std::uintptr_t(lp))));
}
inline const char16_t* MAKEINTRESOURCEW(int id)
{
    return reinterpret_cast<const char16_t*>(std::uintptr_t(WORD(id)));
}

namespace platform {

// Our text is char16_t everywhere; windows.h types the same UTF-16 units as wchar_t (WCHAR), so the
// records' text fields and the W functions take it by a pointer cast, and hand theirs back so.
// Elsewhere WCHAR is char16_t and both are the identity.
static_assert(sizeof(WCHAR) == sizeof(char16_t));
inline const WCHAR* Win32Text(const char16_t* text)
{
    return reinterpret_cast<const WCHAR*>(text);
}
inline WCHAR* Win32Text(char16_t* text)
{
    return reinterpret_cast<WCHAR*>(text);
}
inline const char16_t* Utf16Text(const WCHAR* text)
{
    return reinterpret_cast<const char16_t*>(text);
}

} // namespace platform

// ---------------------------------------------------------------------------------------------
// Cursor ids (IDC_*), passed to LoadCursor as integer resources
// ---------------------------------------------------------------------------------------------
constexpr int IDC_ARROW = 32512;
constexpr int IDC_IBEAM = 32513;
constexpr int IDC_WAIT = 32514;
constexpr int IDC_CROSS = 32515;
constexpr int IDC_UPARROW = 32516;
constexpr int IDC_SIZENWSE = 32642;
constexpr int IDC_SIZENESW = 32643;
constexpr int IDC_SIZEWE = 32644;
constexpr int IDC_SIZENS = 32645;
constexpr int IDC_SIZEALL = 32646;
constexpr int IDC_NO = 32648;
constexpr int IDC_HAND = 32649;
constexpr int IDC_APPSTARTING = 32650;
constexpr int IDC_HELP = 32651;

inline constexpr const char16_t* TOOLTIPS_CLASSW = u"tooltips_class32";
