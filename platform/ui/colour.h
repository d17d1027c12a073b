// Colours as the platform packs them, 0x00BBGGRR, and the named colours the windows use.
// Portable, so the logic that picks a colour is tested natively.
#pragma once

#include <cstdint>

namespace kovalt::ui {

using Colour = std::uint32_t;

constexpr Colour rgb(unsigned red, unsigned green, unsigned blue) {
    return red | (green << 8) | (blue << 16);
}

namespace colours {
inline constexpr Colour kBlack = rgb(0, 0, 0);
inline constexpr Colour kWhite = rgb(255, 255, 255);
inline constexpr Colour kRed = rgb(255, 0, 0);
inline constexpr Colour kGreen = rgb(0, 255, 0);
inline constexpr Colour kCyan = rgb(0, 255, 255);
inline constexpr Colour kMagenta = rgb(255, 0, 255);
inline constexpr Colour kYellow = rgb(255, 255, 0);
inline constexpr Colour kDarkRed = rgb(192, 0, 0);
inline constexpr Colour kLightYellow = rgb(255, 255, 128);
inline constexpr Colour kPaleYellow = rgb(255, 255, 192);
inline constexpr Colour kLightGreen = rgb(128, 255, 128);
inline constexpr Colour kLightPink = rgb(255, 128, 255);
inline constexpr Colour kLightCyan = rgb(192, 255, 255);
inline constexpr Colour kOrange = rgb(255, 165, 0);
}  // namespace colours

}  // namespace kovalt::ui
