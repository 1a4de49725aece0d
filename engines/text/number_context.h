// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Numbers whose reading depends on their shape and neighbours, in Chinese: dates and times,
// fractions, ranges, versions, and 两 where Mandarin counts with it.

#include <string>
#include <string_view>

namespace speech {

// Reads the pattern starting at text[i] (a digit, or the v of v2.1.3) into out and returns the
// position after it; returns i when no pattern starts there.
std::size_t read_number_in_context(std::u32string_view text, std::size_t i, std::u32string &out);

// A value as counted before `next` ("2" before 个 is 两, 2000 is 两千); ordinal (after 第)
// and month or day numbers keep 二.
std::u32string counted_value(std::u32string_view digits, char32_t next, char32_t after_next, bool ordinal);

} // namespace speech
