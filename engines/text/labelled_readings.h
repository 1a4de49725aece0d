// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Sentences with one labelled polyphone, as the polyphone benchmark writes them: NAME.sent holds
// a sentence per line with the labelled character between two ▁ (U+2581) marks, NAME.lb its
// reading on the same line ("lu:4" or "lv4"). For measuring the reading, not for speaking.

#include "chinese_reading.h"

#include <string>
#include <vector>

namespace speech {

struct LabelledSentence {
    std::u32string text; // without the marks
    std::size_t target = 0;
    std::string reading; // "lv4"
};

// sent_path: NAME.sent, its labels read from NAME.lb beside it. False, with why, when a file
// cannot be read, a line has no marked character, or labels are missing.
bool load_labelled_sentences(const std::string &sent_path, std::vector<LabelledSentence> &out, std::string &error);

// The reading given to the character at index target of the text read, "" when it got none.
std::string reading_at(const std::vector<ReadingItem> &items, std::size_t target);

} // namespace speech
