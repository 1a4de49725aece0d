// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How a Chinese text is read: words found with the reading dictionary, each character's
// syllable taken from its word, then the tone changes of spoken Mandarin (一, 不, third tones,
// neutral suffixes and particles). The result is what the Mandarin voices speak as pinyin.

#include "reading_dictionary.h"

#include <string>
#include <string_view>
#include <vector>

namespace speech {

enum class ReadingAccent {
    Standard,
    Taiwan, // zh ch sh said as z c s, no erhua, neutral tones only on particles
};

// One Chinese character with its syllable, or a run of other text kept as it is.
struct ReadingItem {
    std::u32string text;
    Syllable syllable;       // meaningful when is_syllable
    int dictionary_tone = 0; // the tone before any change in context
    bool is_syllable = false;
};

// user: the user's readings, taking precedence over the dictionary (may be null).
std::vector<ReadingItem> read_chinese(std::u32string_view text, const UserReadings *user,
                                      ReadingAccent accent = ReadingAccent::Standard);

// The reading each character was given (words, polyphones, particles) before the tone changes
// of the spoken sentence (一, 不, third tones): what a labelled reading is measured against.
std::vector<ReadingItem> decide_chinese_readings(std::u32string_view text, const UserReadings *user);

// "ta1 zai4 yin2 hang2 ， ..." : syllables and other text, single spaces between them.
std::string reading_text(const std::vector<ReadingItem> &items);

// The same for espeak-ng's cmn-latn-pinyin voice: other text stays where it was, spacing kept.
std::string pinyin_speech_text(const std::vector<ReadingItem> &items);

} // namespace speech
