// Conversions between stored text and the numbers the windows need. Stored text comes from
// the user's registry and may hold anything; every parse either yields a usable number or
// nothing, never an exception.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kovalt::settings {

// A decimal number, surrounding blanks allowed ("12", " -3.5 ", "1e3"). Nothing for empty
// text, trailing junk, or a value outside double range.
std::optional<double> parseNumber(std::wstring_view text);

// A placement number: finite and within single-precision range.
std::optional<float> parseTwips(std::wstring_view text);

// A tick-box state: the number 0 or 1.
std::optional<int> parseTickState(std::wstring_view text);

// A whole number from `low` to `high`, as typed in a box ("5", " 12 "); nothing otherwise.
std::optional<int> parseWholeIn(std::wstring_view text, int low, int high);

// Twips as stored: the whole number of twips, no decimal point, leading minus when negative.
std::wstring formatTwips(float twips);

}  // namespace kovalt::settings
