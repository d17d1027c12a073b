#include "settings/protected_text.h"

#include <algorithm>

namespace kovalt::settings {

namespace {
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int sextet(wchar_t c) {
    if (c >= L'A' && c <= L'Z') return c - L'A';
    if (c >= L'a' && c <= L'z') return c - L'a' + 26;
    if (c >= L'0' && c <= L'9') return c - L'0' + 52;
    if (c == L'+') return 62;
    if (c == L'/') return 63;
    return -1;
}
}  // namespace

bool isProtected(std::wstring_view stored) { return stored.starts_with(kProtectedPrefix); }

std::wstring protectedText(std::string_view bytes) {
    return std::wstring(kProtectedPrefix) + base64Encode(bytes);
}

std::optional<std::string> protectedBytes(std::wstring_view stored) {
    if (!isProtected(stored)) return std::nullopt;
    return base64Decode(stored.substr(kProtectedPrefix.size()));
}

std::wstring base64Encode(std::string_view bytes) {
    std::wstring text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t n = std::min<size_t>(3, bytes.size() - i);
        unsigned long group = 0;
        for (size_t k = 0; k < 3; ++k)
            group = group << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0);
        for (size_t k = 0; k < 4; ++k)
            text += k <= n ? wchar_t(kAlphabet[(group >> (18 - 6 * k)) & 63]) : L'=';
    }
    return text;
}

std::optional<std::string> base64Decode(std::wstring_view text) {
    if (text.size() % 4) return std::nullopt;
    std::string bytes;
    for (size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        // Padding only at the very end: one or two '='.
        const size_t pad = last ? (text[i + 3] == L'=') + (text[i + 2] == L'=') : 0;
        if (pad == 1 && text[i + 2] == L'=') return std::nullopt;
        unsigned long group = 0;
        for (size_t k = 0; k < 4; ++k) {
            const int v = k < 4 - pad ? sextet(text[i + k]) : 0;
            if (v < 0) return std::nullopt;
            group = group << 6 | static_cast<unsigned long>(v);
        }
        // Bits beyond the last byte must be 0, so each value has one text.
        if (group & ((1ul << (8 * pad)) - 1)) return std::nullopt;
        for (size_t k = 0; k < 3 - pad; ++k) bytes += static_cast<char>(group >> (16 - 8 * k));
    }
    return bytes;
}

}  // namespace kovalt::settings
