#include "platform/ui/twips.h"

#include <algorithm>
#include <cmath>

namespace kovalt::ui {

namespace {
bool overlaps(const PixelRect& a, const PixelRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

double distanceSquared(const PixelRect& window, const PixelRect& area) {
    // From the window's centre to the nearest point of the area.
    double cx = (static_cast<double>(window.left) + window.right) / 2;
    double cy = (static_cast<double>(window.top) + window.bottom) / 2;
    double dx = std::max({static_cast<double>(area.left) - cx, 0.0, cx - area.right});
    double dy = std::max({static_cast<double>(area.top) - cy, 0.0, cy - area.bottom});
    return dx * dx + dy * dy;
}

long clampInto(long start, long length, long areaStart, long areaEnd) {
    if (length >= areaEnd - areaStart) return areaStart;
    return std::clamp(start, areaStart, areaEnd - length);
}
}  // namespace

long twipsToPixels(float twips, unsigned dpi) {
    // Stored values may be absurd; keep the result far inside the range of a coordinate.
    double pixels = std::round(static_cast<double>(twips) * dpi / 1440.0);
    return static_cast<long>(std::clamp(pixels, -1e8, 1e8));
}

float pixelsToTwips(long pixels, unsigned dpi) {
    return static_cast<float>(std::round(static_cast<double>(pixels) * 1440.0 / dpi));
}

PixelRect toPixels(const TwipRect& rect, unsigned dpi) {
    long left = twipsToPixels(rect.left, dpi);
    long top = twipsToPixels(rect.top, dpi);
    return {left, top, left + twipsToPixels(rect.width, dpi),
            top + twipsToPixels(rect.height, dpi)};
}

PixelRect bringIntoView(const PixelRect& window, const std::vector<MonitorArea>& monitors) {
    if (monitors.empty()) return window;
    for (const auto& m : monitors)
        if (overlaps(window, m.bounds)) return window;
    const MonitorArea* nearest = &monitors.front();
    for (const auto& m : monitors)
        if (distanceSquared(window, m.work) < distanceSquared(window, nearest->work)) nearest = &m;
    const PixelRect& area = nearest->work;
    long left = clampInto(window.left, window.width(), area.left, area.right);
    long top = clampInto(window.top, window.height(), area.top, area.bottom);
    return {left, top, left + window.width(), top + window.height()};
}

}  // namespace kovalt::ui
