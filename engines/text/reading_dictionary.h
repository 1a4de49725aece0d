// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Word and character readings: the table carried by the engine (data/readings.txt, sorted by
// UTF-8 bytes) with the user's own readings over it.

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace speech {

// One syllable: pinyin without tone ("lv" for lǜ) and its tone, 1..4 or 5 for neutral.
struct Syllable {
    std::string pinyin;
    int tone = 5;
};

// "yin2 hang2" → two syllables; false when a syllable has no tone digit 1..5 or is not
// lower-case pinyin (ü written v).
bool parse_syllables(std::string_view text, std::vector<Syllable> &out);

// A user's readings: "word pinyin..." per line, UTF-8, '#' starts a comment.
struct UserReadings {
    std::map<std::u32string, std::vector<Syllable>> words;
    std::vector<std::string> problems; // "line N: why", one per skipped line
};

// One syllable per character of the word is required, and the word must be Chinese.
UserReadings parse_user_readings(std::string_view text);

class ReadingDictionary final {
public:
    // The carried table, looked over at the first call.
    static const ReadingDictionary &builtin();

    // table: lines "word<TAB>reading" sorted by their bytes, after any '#' comment lines; it
    // must outlive the dictionary.
    explicit ReadingDictionary(std::string_view table);

    // The reading of a word ("yin2 hang2"); false when the table lacks the word. An empty
    // reading: the word is read as its characters.
    bool find(std::string_view utf8_word, std::string_view &reading) const;
    // Whether some word of the table starts with these bytes (segmentation stops looking
    // for longer words where none does).
    bool has_prefix(std::string_view utf8_prefix) const;
    std::size_t longest_word() const { return m_longest; } // in characters

private:
    struct Entry {
        std::string_view word;
        std::string_view reading;
    };
    Entry entry_at(std::size_t line_start, std::size_t *next_line) const;
    // The start of the first line whose word is not below word, or the table's end.
    std::size_t lower_bound(std::string_view word) const;

    std::string_view m_table; // sorted lines "word<TAB>reading", comments removed
    std::size_t m_longest = 1;
};

} // namespace speech
