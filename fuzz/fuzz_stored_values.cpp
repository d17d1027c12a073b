// Stored text comes from the user's registry and may hold anything: every parse gives a usable
// number or nothing, and a window placed from stored text has a positive size and, once brought
// into view, shows on a monitor.
// Input: lines 1-4 are the stored Left, Top, Width and Height (a missing line is a missing key),
// line 5 the DPI, each further line a monitor "left top width height taskbar-height".
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <sstream>

#include "fuzz/fuzz_input.h"
#include "settings/placement.h"
#include "settings/value_text.h"

using namespace kovalt::settings;
using kovalt::fuzz::check;

namespace {
void checkParses(const std::wstring& text) {
    const std::optional<double> number = parseNumber(text);
    check(!number || std::isfinite(*number), "a parsed number is not finite");
    check(parseNumber(L" \t" + text + L"\t ") == number, "surrounding blanks change a number");
    const bool isTick = number && (*number == 0.0 || *number == 1.0);
    check(parseTickState(text) ==
              (isTick ? std::optional<int>(static_cast<int>(*number)) : std::nullopt),
          "a tick state is not exactly the number 0 or 1");

    const std::optional<float> twips = parseTwips(text);
    check(twips.has_value() == (number && std::fabs(*number) <= std::numeric_limits<float>::max()),
          "twips refused or accepted outside single-precision range");
    if (!twips) return;
    check(std::isfinite(*twips), "parsed twips are not finite");
    const std::wstring stored = formatTwips(*twips);
    const size_t sign = stored.starts_with(L'-') ? 1 : 0;
    check(stored.size() > sign && stored.find_first_not_of(L"0123456789", sign) == stored.npos,
          "stored twips are not a plain integer");
    // Positions beyond 1e15 twips are stored as 1e15, keeping the text a plain integer.
    const double whole = std::clamp(std::round(static_cast<double>(*twips)), -1e15, 1e15);
    check(parseTwips(stored) == static_cast<float>(whole), "stored twips read back otherwise");
}

// Monitors as Windows reports them: positive sizes, the work area a non-empty part of each.
MonitorArea monitorOf(const std::wstring& line) {
    double n[5] = {};
    std::wistringstream(line) >> n[0] >> n[1] >> n[2] >> n[3] >> n[4];
    const long left = std::clamp(n[0], -32768.0, 32767.0);
    const long top = std::clamp(n[1], -32768.0, 32767.0);
    const long width = std::clamp(n[2], 1.0, 16384.0), height = std::clamp(n[3], 1.0, 16384.0);
    const long bar = std::clamp(n[4], 0.0, height - 1.0);
    return {{left, top, left + width, top + height}, {left, top, left + width, top + height - bar}};
}

bool overlapsAny(const PixelRect& r, const std::vector<MonitorArea>& monitors,
                 PixelRect MonitorArea::*area) {
    return std::any_of(monitors.begin(), monitors.end(), [&](const MonitorArea& m) {
        const PixelRect& b = m.*area;
        return r.left < b.right && b.left < r.right && r.top < b.bottom && b.top < r.bottom;
    });
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::wstring> in = kovalt::fuzz::linesOf(data, size);
    for (const std::wstring& line : in) checkParses(line);

    MemoryStore store;
    const InstanceSettings settings(store, L"WATCH1");
    const PlacementKeys& keys = keys::kMainPlacement;
    const SettingKey* const order[] = {&keys.left, &keys.top, &keys.width, &keys.height};
    for (size_t i = 0; i < 4 && i < in.size(); ++i) settings.save(*order[i], in[i]);
    settings.save(keys::ENABLED_TICKBOX, in[0]);
    check(settings.tickState(keys::ENABLED_TICKBOX) == parseTickState(in[0]).value_or(0),
          "a tick box reads other than its stored 0 or 1 or its default");
    check(settings.flag(keys::ENABLED_TICKBOX) == (parseNumber(in[0]) == 1.0),
          "a flag reads other than whether the number 1 is stored");

    const TwipRect rect = readPlacement(settings, keys);
    const float read[] = {rect.left, rect.top, rect.width, rect.height};
    for (size_t i = 0; i < 4; ++i) {
        std::optional<float> stored = i < in.size() ? parseTwips(in[i]) : std::nullopt;
        if (i >= 2 && stored && !(*stored > 0)) stored.reset();
        check(read[i] == stored.value_or(*parseTwips(order[i]->defaultText)),
              "a placement reads other than its stored value or its default");
    }
    check(rect.width > 0 && rect.height > 0, "a window size is not positive");

    const unsigned dpi =
        in.size() > 4 ? std::clamp(parseNumber(in[4]).value_or(96), 48.0, 960.0) : 96;
    std::vector<MonitorArea> monitors;
    for (size_t i = 5; i < in.size(); ++i) monitors.push_back(monitorOf(in[i]));
    const PixelRect window = toPixels(rect, dpi);
    const PixelRect placed = bringIntoView(window, monitors);
    check(placed.width() == window.width() && placed.height() == window.height(), "resized");
    const bool showed = overlapsAny(window, monitors, &MonitorArea::bounds);
    check(!showed || placed == window, "a window that shows was moved");
    // A window under one pixel wide or high overlaps nothing wherever it goes.
    if (!monitors.empty() && window.width() > 0 && window.height() > 0) {
        check(overlapsAny(placed, monitors, &MonitorArea::bounds), "brought onto no monitor");
        const PixelRect corner{placed.left, placed.top, placed.left + 1, placed.top + 1};
        check(showed || overlapsAny(corner, monitors, &MonitorArea::work),
              "a moved window's top-left corner is in no work area");
    }
    // Moved or not, the window is saved where it is and must reopen on the same pixel (positions
    // far beyond any screen lose whole pixels in single precision).
    savePosition(settings, keys, pixelsToTwips(placed.left, dpi), pixelsToTwips(placed.top, dpi));
    const PixelRect reopened = toPixels(readPlacement(settings, keys), dpi);
    check(std::max(std::labs(placed.left), std::labs(placed.top)) > 100000 ||
              (reopened.left == placed.left && reopened.top == placed.top),
          "a saved position reopens elsewhere");
    // long is 32 bits on Windows.
    for (long v : {placed.left, placed.top, placed.right, placed.bottom})
        check(v >= INT32_MIN && v <= INT32_MAX, "a coordinate outside a Windows long");
    return 0;
}
