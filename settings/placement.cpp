#include "settings/placement.h"

#include "settings/value_text.h"

namespace kovalt::settings {

TwipRect readPlacement(const InstanceSettings& settings, const PlacementKeys& keys) {
    TwipRect rect;
    rect.left = settings.twips(keys.left);
    rect.top = settings.twips(keys.top);
    rect.width = settings.twips(keys.width);
    rect.height = settings.twips(keys.height);
    if (!(rect.width > 0)) rect.width = *parseTwips(keys.width.defaultText);
    if (!(rect.height > 0)) rect.height = *parseTwips(keys.height.defaultText);
    return rect;
}

platform::Result savePosition(const InstanceSettings& settings, const PlacementKeys& keys,
                              float leftTwips, float topTwips) {
    const platform::Result left = settings.saveTwips(keys.left, leftTwips);
    const platform::Result top = settings.saveTwips(keys.top, topTwips);
    return left.ok() ? top : left;
}

}  // namespace kovalt::settings
