// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Which reading a polyphonic character takes when the dictionary alone cannot tell: the
// network reads the sentence around it and chooses among the character's own readings.

#include "chinese_reading.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace speech {

// Where a character's reading came from while the words were read.
enum class ReadingOrigin {
    User,      // the user's readings: never changed
    Word,      // a word of the dictionary with its own reading
    Part,      // a word with a reading inside a longer word read as its parts
    Character, // the character on its own
};

class PolyphoneChoice final {
public:
    // position: the character c's index in the text; item: its reading item.
    void add(std::size_t position, std::size_t item, ReadingOrigin origin, char32_t c);
    // Gives the polyphones the dictionary does not settle the network's reading, one run per
    // sentence that has any.
    void choose(std::u32string_view text, std::vector<ReadingItem> &items) const;

private:
    struct Candidate {
        std::size_t position;
        std::size_t item;
    };
    std::vector<Candidate> m_candidates;
};

} // namespace speech
