// How a value kept for the current user only (a token, a URL with a secret in it) is stored:
// "DPAPI:" and the protected bytes in base64. Anything else is a plain value, as an
// administrator may have put it there.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kovalt::settings {

inline constexpr std::wstring_view kProtectedPrefix = L"DPAPI:";

bool isProtected(std::wstring_view stored);
std::wstring protectedText(std::string_view bytes);
// The protected bytes of a stored value; nothing when it is plain or its base64 is broken.
std::optional<std::string> protectedBytes(std::wstring_view stored);

// Standard base64 with padding. Decoding takes nothing else: no blanks, no line breaks.
std::wstring base64Encode(std::string_view bytes);
std::optional<std::string> base64Decode(std::wstring_view text);

}  // namespace kovalt::settings
