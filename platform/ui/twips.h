// Places and sizes in twips (1440 per inch), as the windows are laid out and stored, turned into
// pixels at a window's DPI; and a window kept within reach of the user when its place lies off
// every monitor. Portable, so it is tested natively.
#pragma once

#include <vector>

namespace kovalt::ui {

struct TwipRect {
    float left = 0, top = 0, width = 0, height = 0;
};

struct PixelRect {
    long left = 0, top = 0, right = 0, bottom = 0;
    long width() const { return right - left; }
    long height() const { return bottom - top; }
    bool operator==(const PixelRect&) const = default;
};

struct MonitorArea {
    PixelRect bounds;  // the whole monitor
    PixelRect work;    // without task bars
};

long twipsToPixels(float twips, unsigned dpi);
float pixelsToTwips(long pixels, unsigned dpi);
PixelRect toPixels(const TwipRect& rect, unsigned dpi);

// A window that overlaps no monitor is moved into the work area of the nearest one, as far as
// needed to show it whole (or its top-left corner, when it is larger than that area). A window
// that shows on some monitor, even partly, stays where it is.
PixelRect bringIntoView(const PixelRect& window, const std::vector<MonitorArea>& monitors);

}  // namespace kovalt::ui
