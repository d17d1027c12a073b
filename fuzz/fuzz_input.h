// What the fuzz targets share: the input read as lines of Windows text, and a check that stops
// the run with a message, so a broken property leaves a crash file like any other fault.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace kovalt::fuzz {

// The input split at each newline byte into UTF-16 units, as Windows hands text over. A UTF-8
// sequence of two or three bytes, overlong ones too, is one unit (so seeds stay readable and a
// newline inside a value, E0 80 8A, stays reachable); any other byte is its Latin-1 unit.
inline std::vector<std::wstring> linesOf(const uint8_t* data, size_t size) {
    std::vector<std::wstring> lines(1);
    auto follows = [&](size_t at) { return at < size && (data[at] & 0xC0) == 0x80; };
    for (size_t i = 0; i < size;) {
        unsigned unit = data[i++];
        if (unit == '\n') {
            lines.emplace_back();
            continue;
        }
        if (unit >= 0xC0 && unit < 0xE0 && follows(i)) {
            unit = (unit & 0x1F) << 6 | (data[i++] & 0x3F);
        } else if (unit >= 0xE0 && unit < 0xF0 && follows(i) && follows(i + 1)) {
            unit = (unit & 0x0F) << 12 | (data[i] & 0x3F) << 6 | (data[i + 1] & 0x3F);
            i += 2;
        }
        lines.back() += static_cast<wchar_t>(unit);
    }
    return lines;
}

inline void check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

}  // namespace kovalt::fuzz
