// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Rewrites the numbers of a text into words (Chinese) or into a shape espeak-ng reads as wanted
// (other languages), following the number reading the session asks for. A pure function so it
// can be table-tested and fuzzed.

#include <string>
#include <string_view>

namespace speech {

enum class NumberReading {
    ValuesFirst = 0,  // values, but years before 年, runs of 7+ digits and leading zeros digit by digit
    AlwaysValues = 1, // always as values
    AlwaysDigits = 2, // always digit by digit
    DigitsFirst = 3,  // digit by digit unless a unit, '%' or a decimal point makes it a value
};

enum class NumberLanguage { Chinese, Other };

// Chinese: "3.14" → 三点一四, "100%" → 百分之一百, "-5" → 负五, "1,234" → 一千二百三十四,
// "¥20" → 二十元, "5kg" → 五千克. Other: values are left for espeak-ng, digit strings are
// spelled with spaces ("2 0 2 4") so it reads each digit. Digits glued to Latin letters
// ("MP3", "3D") belong to a word and are left alone.
std::u32string normalise_numbers(std::u32string_view text, NumberReading reading, NumberLanguage language);

} // namespace speech
