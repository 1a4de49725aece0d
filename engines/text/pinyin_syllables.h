// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The toneless pinyin syllables the engine can say ("zhuang", "lv" for lü).

#include <cstddef>
#include <string_view>

namespace speech {

inline constexpr std::size_t kLongestSyllable = 6; // "zhuang", "chuang", "shuang"

bool is_pinyin_syllable(std::string_view letters);

} // namespace speech
