// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Chinese readings of digit strings.

#include <string>
#include <string_view>

namespace speech {

// The largest number of significant digits chinese_value reads (up to 9999万亿).
constexpr std::size_t max_chinese_value_digits = 16;

// The value of a string of ASCII digits: "1234" → 一千二百三十四, "100010" → 十万零一十,
// "0" → 零. Leading zeros are ignored. Longer numbers than max_chinese_value_digits are read
// digit by digit.
std::u32string chinese_value(std::u32string_view digits);

// Digit by digit: "2024" → 二零二四.
std::u32string chinese_digits(std::u32string_view digits);

} // namespace speech
