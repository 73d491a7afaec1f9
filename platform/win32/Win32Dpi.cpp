// DPI awareness and monitor DPI over user32 and shcore, found at run time.
#include "platform/win32/Win32Dpi.h"

#include "platform/DisplayScale.h"
#include "platform/Geometry.h"

#include <string>

namespace platform::win32_impl {

namespace {

// The awareness contexts are pseudo-handles of fixed values.
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(LONG_PTR(-4));
const HANDLE kPerMonitorAware = reinterpret_cast<HANDLE>(LONG_PTR(-3));
constexpr int kProcessPerMonitorDpiAware = 2; // PROCESS_DPI_AWARENESS
constexpr int kEffectiveDpi = 0;              // MONITOR_DPI_TYPE: MDT_EFFECTIVE_DPI
constexpr unsigned kBaseDpi = 96;

template <typename Function> Function Lookup(const wchar_t* library, const char* name)
{
    HMODULE module = ::GetModuleHandleW(library);
    if (!module)
        module = ::LoadLibraryW(library);
    if (!module)
        return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

using SetContextFunction = BOOL(WINAPI*)(HANDLE);
using SetAwarenessFunction = LONG(WINAPI*)(int);
using SetAwareFunction = BOOL(WINAPI*)();
using DpiForWindowFunction = UINT(WINAPI*)(HWND);
using DpiForMonitorFunction = LONG(WINAPI*)(HMONITOR, int, UINT*, UINT*);

unsigned ScreenDpi()
{
    HDC screen = ::GetDC(nullptr);
    if (!screen)
        return 0;
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? unsigned(dpi) : 0;
}

} // namespace

void DeclareDpiAwareness()
{
    // Each call fails with ERROR_ACCESS_DENIED once the awareness is set (by the manifest, or by
    // an earlier call): then it stays as it is.
    if (auto set = Lookup<SetContextFunction>(L"user32.dll", "SetProcessDpiAwarenessContext")) {
        if (set(kPerMonitorAwareV2) || set(kPerMonitorAware) || ::GetLastError() == ERROR_ACCESS_DENIED)
            return;
    }
    if (auto set = Lookup<SetAwarenessFunction>(L"shcore.dll", "SetProcessDpiAwareness")) {
        if (set(kProcessPerMonitorDpiAware) >= 0)
            return;
    }
    if (auto set = Lookup<SetAwareFunction>(L"user32.dll", "SetProcessDPIAware"))
        set();
}

std::optional<double> ScaleOverride()
{
    wchar_t value[64];
    const DWORD length = ::GetEnvironmentVariableW(L"TVU_SCALE", value, 64);
    if (length == 0 || length >= 64)
        return std::nullopt;
    std::string text;
    for (DWORD i = 0; i < length; ++i) {
        if (value[i] > 0x7F)
            return std::nullopt;
        text.push_back(char(value[i]));
    }
    const std::optional<double> number = ParseScaleNumber(text);
    if (!number)
        return std::nullopt;
    return SaneScale(*number);
}

double ScaleOfDpi(unsigned dpi)
{
    return dpi == 0 ? 1.0 : SaneScale(double(dpi) / kBaseDpi);
}

double ScaleForDpi(unsigned dpi)
{
    if (const auto forced = ScaleOverride())
        return *forced;
    return ScaleOfDpi(dpi);
}

unsigned MonitorDpi(HMONITOR monitor)
{
    static const auto forMonitor = Lookup<DpiForMonitorFunction>(L"shcore.dll", "GetDpiForMonitor");
    UINT x = 0, y = 0;
    if (monitor && forMonitor && forMonitor(monitor, kEffectiveDpi, &x, &y) >= 0 && x > 0)
        return x;
    return ScreenDpi();
}

unsigned DpiNearRect(const RECT& deviceRect)
{
    return MonitorDpi(::MonitorFromRect(&deviceRect, MONITOR_DEFAULTTOPRIMARY));
}

unsigned WindowDpi(HWND hwnd)
{
    static const auto forWindow = Lookup<DpiForWindowFunction>(L"user32.dll", "GetDpiForWindow");
    if (forWindow) {
        if (const UINT dpi = forWindow(hwnd))
            return dpi;
    }
    return MonitorDpi(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST));
}

RECT ToLogicalRect(const RECT& device, double scale)
{
    return RECT{UnscaleLength(device.left, scale), UnscaleLength(device.top, scale),
                UnscaleLength(device.left, scale) + UnscaleLength(device.right - device.left, scale),
                UnscaleLength(device.top, scale) + UnscaleLength(device.bottom - device.top, scale)};
}

RECT ToDeviceRect(const RECT& logical, double scale)
{
    const int left = ScaleEdge(logical.left, scale), top = ScaleEdge(logical.top, scale);
    return RECT{left, top, left + ScaleEdge(logical.right - logical.left, scale),
                top + ScaleEdge(logical.bottom - logical.top, scale)};
}

WindowRegion ScaledRegion(const WindowRegion& region, double scale)
{
    const RECT& b = region.bounds;
    return WindowRegion{
        RECT{ScaleEdge(b.left, scale), ScaleEdge(b.top, scale), ScaleEdge(b.right, scale), ScaleEdge(b.bottom, scale)},
        ScaleEdge(region.ellipseWidth, scale), ScaleEdge(region.ellipseHeight, scale)};
}

} // namespace platform::win32_impl
