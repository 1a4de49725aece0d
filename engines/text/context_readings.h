// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Polyphones that the characters next to them settle better than the dictionary or the
// network, which has learnt from long written sentences and misreads short everyday ones:
// adjectives after a degree word (很长), measure words after a numeral (一只), surnames
// (姓曾, 查先生), the particles 得 and 地 after a verb or an adverb.

#include "chinese_reading.h"

#include <vector>

namespace speech {

// How far the context may change an item's reading.
enum class ContextSay {
    None,            // the user's reading, a word of the dictionary, no syllable
    MeasureWordOnly, // the second half of a dictionary word like 一行, which may be 一行|人 or 一|行
    Full,            // the character's own reading
};

void apply_context_readings(std::vector<ReadingItem> &items, const std::vector<ContextSay> &say);

} // namespace speech
