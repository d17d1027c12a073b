// Window placement: stored in twips (1440 per inch), shown in pixels at the window's DPI, and
// kept within reach of the user when the stored place lies off every monitor.
#pragma once

#include <vector>

#include "settings/settings_store.h"

namespace kovalt::settings {

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

// Reads Left, Top, Width and Height in that order. A size that is not a positive number of
// twips reads as the window's default size.
TwipRect readPlacement(const InstanceSettings& settings, const PlacementKeys& keys);

// Saves Left, then Top; sizes are never saved.
void savePosition(const InstanceSettings& settings, const PlacementKeys& keys, float leftTwips,
                  float topTwips);

long twipsToPixels(float twips, unsigned dpi);
float pixelsToTwips(long pixels, unsigned dpi);
PixelRect toPixels(const TwipRect& rect, unsigned dpi);

// A window that overlaps no monitor is moved into the work area of the nearest one, as far as
// needed to show it whole (or its top-left corner, when it is larger than that area). A window
// that shows on some monitor, even partly, stays where it is.
PixelRect bringIntoView(const PixelRect& window, const std::vector<MonitorArea>& monitors);

}  // namespace kovalt::settings
