// SPDX-License-Identifier: GPL-3.0-or-later
#include "script_runs.h"

#include <algorithm>
#include <iterator>

namespace speech {
namespace {

enum class CharClass { Primary, Foreign, Neutral };

bool is_latin(char32_t c)
{
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7);
}

bool is_digit(char32_t c)
{
    return c >= U'0' && c <= U'9';
}

// Characters that continue a Latin word or phrase when Latin letters follow them.
bool is_latin_joiner(char32_t c)
{
    return c == U' ' || c == U'\'' || c == U'-' || c == U'.' || is_digit(c);
}

CharClass classify(char32_t c, ScriptFamily family)
{
    if (family == ScriptFamily::Han) {
        if (is_latin(c))
            return CharClass::Foreign;
        if (is_han(c))
            return CharClass::Primary;
        return CharClass::Neutral;
    }
    if (is_han(c))
        return CharClass::Foreign;
    if (c >= 0x3000 && c <= 0x303F) // CJK punctuation stays with whatever it follows
        return CharClass::Neutral;
    if (c <= 0x7F && !is_latin(c))
        return CharClass::Neutral;
    return CharClass::Primary;
}

struct Range {
    char32_t first;
    char32_t last;
};

// Blocks of the scripts the voices speak and of what every text carries besides letters.
constexpr Range spoken_ranges[] = {
    {0x0009, 0x000D},   // tab and line ends
    {0x0020, 0x024F},   // ASCII, Latin-1 and Latin Extended (French, Spanish, Vietnamese)
    {0x0250, 0x036F},   // IPA, spacing modifiers and combining marks
    {0x0400, 0x052F},   // Cyrillic (Russian)
    {0x0900, 0x097F},   // Devanagari (Hindi)
    {0x1E00, 0x1EFF},   // Latin Extended Additional (Vietnamese)
    {0x2000, 0x2BFF},   // punctuation, currency, letter-like, numbers, arrows, maths, symbols
    {0x2E80, 0x2FDF},   // CJK and Kangxi radicals
    {0x3000, 0x303F},   // CJK punctuation
    {0x3400, 0x4DBF},   // Han
    {0x4E00, 0x9FFF},   // Han
    {0xF900, 0xFAFF},   // Han compatibility
    {0xFE30, 0xFE4F},   // CJK compatibility forms
    {0xFF01, 0xFF64},   // full-width forms
    {0xFFE0, 0xFFEE},   // full-width signs
    {0x20000, 0x3134F}, // Han
};

// The Arabic script: the Uyghur voices read it; for any other voice espeak-ng would switch to
// Arabic, which is none of ours.
constexpr Range arabic_ranges[] = {{0x0600, 0x06FF}, {0x0750, 0x077F}, {0xFB50, 0xFDFF}, {0xFE70, 0xFEFC}};

template <std::size_t N> bool in_ranges(char32_t c, const Range (&ranges)[N])
{
    return std::any_of(std::begin(ranges), std::end(ranges), [c](Range r) { return c >= r.first && c <= r.last; });
}

} // namespace

std::u32string keep_spoken_scripts(std::u32string_view text, const VoiceProfile &profile)
{
    const bool reads_arabic = profile.espeak_voice.starts_with("ug");
    std::u32string kept;
    kept.reserve(text.size());
    for (char32_t c : text) {
        if (in_ranges(c, spoken_ranges) || (reads_arabic && in_ranges(c, arabic_ranges)))
            kept.push_back(c);
    }
    return kept;
}

bool is_han(char32_t c)
{
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0xF900 && c <= 0xFAFF)
           || (c >= 0x20000 && c <= 0x3134F);
}

std::vector<ScriptRun> split_script_runs(std::u32string_view text, ScriptFamily family)
{
    std::vector<ScriptRun> runs;
    bool current_foreign = false;
    std::size_t i = 0;
    while (i < text.size()) {
        CharClass cls = classify(text[i], family);
        std::size_t length = 1;
        // Both scans take their whole stretch at once, whatever follows it, so each character
        // is looked at a bounded number of times.
        if (family == ScriptFamily::Han && cls == CharClass::Neutral && current_foreign && is_latin_joiner(text[i])) {
            // "hello world", "don't", "Win 10 Pro": joiners stay with the Latin run they follow.
            std::size_t j = i;
            while (j < text.size() && is_latin_joiner(text[j]))
                ++j;
            length = j - i;
        } else if (family == ScriptFamily::Han && is_digit(text[i])) {
            // Digits that run into Latin letters (3D, 4K) belong to the word; others are neutral.
            std::size_t j = i;
            while (j < text.size() && is_digit(text[j]))
                ++j;
            if (j < text.size() && is_latin(text[j]))
                cls = CharClass::Foreign;
            length = j - i;
        }
        const bool foreign = cls == CharClass::Foreign || (cls == CharClass::Neutral && current_foreign);
        if (runs.empty() || runs.back().foreign != foreign)
            runs.push_back(ScriptRun{foreign, {}});
        runs.back().text.append(text.substr(i, length));
        current_foreign = foreign;
        i += length;
    }
    return runs;
}

} // namespace speech
