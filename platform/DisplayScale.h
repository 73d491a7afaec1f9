// Where a window's scale factor (device pixels per logical pixel) comes from on a desktop that
// enlarges everything, and how it is read from the values the desktop publishes.
//
// Order of precedence, first one set and valid wins:
//   1. TVU_SCALE              this program's own override (any backend, the headless one too)
//   2. GDK_SCALE × GDK_DPI_SCALE   the toolkit variables a scaled desktop session exports; either
//                             alone counts, the other taken as 1
//   3. Xft.dpi / 96           the X resource a scaled X11 desktop sets (192 gives 2)
//   4. 1
// Every value goes through SaneScale (Geometry.h): nothing below 0.5 or above 8, and garbage is
// ignored rather than trusted.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The environment variable that overrides the desktop's scale, e.g. TVU_SCALE=1.5.
inline constexpr const char* kScaleVariable = "TVU_SCALE";

struct DesktopScaleSources
{
    std::optional<std::string> overrideScale; // TVU_SCALE
    std::optional<std::string> gdkScale;      // GDK_SCALE
    std::optional<std::string> gdkDpiScale;   // GDK_DPI_SCALE
    std::optional<std::string> xftDpi;        // the Xft.dpi resource's value
};

// A positive finite number written in full ("2", "1.5", " 1.25 "); nullopt for anything else.
std::optional<double> ParseScaleNumber(std::string_view text);

// The value of Xft.dpi in an X resource database string ("Xft.dpi:\t192\n..."); nullopt without one.
std::optional<std::string> FindXftDpi(std::string_view resources);

// The scale by the order above.
double ResolveDesktopScale(const DesktopScaleSources& sources);

// TVU_SCALE, GDK_SCALE and GDK_DPI_SCALE from this process's environment, xftDpi left empty.
DesktopScaleSources ScaleSourcesFromEnvironment();

} // namespace platform
