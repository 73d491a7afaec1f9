#include "platform/DisplayScale.h"

#include <cmath>
#include <cstdlib>

#include "platform/Geometry.h"

namespace platform {

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::optional<std::string> Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

std::optional<double> Number(const std::optional<std::string>& text)
{
    return text ? ParseScaleNumber(*text) : std::nullopt;
}

} // namespace

std::optional<double> ParseScaleNumber(std::string_view text)
{
    text = Trim(text);
    if (text.empty() || text.size() > 32)
        return std::nullopt;
    // Digits with at most one decimal point; no signs, exponents, "inf" or "nan".
    bool point = false, digit = false;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c == '.' && !point)
            point = true;
        else
            return std::nullopt;
    }
    if (!digit)
        return std::nullopt;
    const double value = std::strtod(std::string(text).c_str(), nullptr);
    if (!(value > 0) || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::string> FindXftDpi(std::string_view resources)
{
    constexpr std::string_view kName = "Xft.dpi";
    std::optional<std::string> found;
    while (!resources.empty()) {
        const size_t end = resources.find('\n');
        std::string_view line = Trim(resources.substr(0, end));
        resources = end == std::string_view::npos ? std::string_view{} : resources.substr(end + 1);
        if (line.substr(0, kName.size()) != kName)
            continue;
        line = Trim(line.substr(kName.size()));
        if (line.empty() || line.front() != ':')
            continue;
        // The last definition wins, as in the resource database itself.
        found = std::string(Trim(line.substr(1)));
    }
    return found;
}

double ResolveDesktopScale(const DesktopScaleSources& sources)
{
    if (const auto value = Number(sources.overrideScale))
        return SaneScale(*value);
    const auto gdk = Number(sources.gdkScale), gdkDpi = Number(sources.gdkDpiScale);
    if (gdk || gdkDpi)
        return SaneScale(gdk.value_or(1.0) * gdkDpi.value_or(1.0));
    if (const auto dpi = Number(sources.xftDpi))
        return SaneScale(*dpi / 96.0);
    return 1.0;
}

DesktopScaleSources ScaleSourcesFromEnvironment()
{
    DesktopScaleSources sources;
    sources.overrideScale = Variable(kScaleVariable);
    sources.gdkScale = Variable("GDK_SCALE");
    sources.gdkDpiScale = Variable("GDK_DPI_SCALE");
    return sources;
}

} // namespace platform
