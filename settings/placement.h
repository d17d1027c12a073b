// Window placement: each window's four keys, read at its load and saved (Left and Top only) at
// its close, in twips.
#pragma once

#include "platform/ui/twips.h"
#include "settings/settings_store.h"

namespace kovalt::settings {

using ui::TwipRect;

// Reads Left, Top, Width and Height in that order. A size that is not a positive number of
// twips reads as the window's default size.
TwipRect readPlacement(const InstanceSettings& settings, const PlacementKeys& keys);

// Saves Left, then Top; sizes are never saved. The first failure.
platform::Result savePosition(const InstanceSettings& settings, const PlacementKeys& keys,
                              float leftTwips, float topTwips);

}  // namespace kovalt::settings
