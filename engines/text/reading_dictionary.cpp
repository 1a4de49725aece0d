// SPDX-License-Identifier: GPL-3.0-or-later
#include "reading_dictionary.h"

#include "pinyin_syllables.h"
#include "script_runs.h"
#include "utf8.h"

#include <algorithm>

extern "C" const char lumeno_reading_table[];
extern "C" const char lumeno_reading_table_end[];

namespace speech {

bool parse_syllables(std::string_view text, std::vector<Syllable> &out)
{
    out.clear();
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = text.find_first_not_of(' ', pos);
        if (start == std::string_view::npos)
            break;
        std::size_t end = text.find(' ', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view word = text.substr(start, end - start);
        pos = end;
        const char tone = word.back();
        if (word.size() < 2 || tone < '1' || tone > '5')
            return false;
        const std::string_view letters = word.substr(0, word.size() - 1);
        if (!std::all_of(letters.begin(), letters.end(), [](char c) { return c >= 'a' && c <= 'z'; }))
            return false;
        out.push_back({std::string(letters), tone - '0'});
    }
    return !out.empty();
}

UserReadings parse_user_readings(std::string_view text)
{
    UserReadings result;
    std::size_t number = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++number;
        if (number == 1 && line.substr(0, 3) == "\xEF\xBB\xBF")
            line.remove_prefix(3);
        line = line.substr(0, line.find('#'));
        const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
        while (!line.empty() && blank(line.back()))
            line.remove_suffix(1);
        while (!line.empty() && blank(line.front()))
            line.remove_prefix(1);
        if (line.empty())
            continue;
        const std::size_t split = std::min(line.find(' '), line.find('\t'));
        const std::string where = "line " + std::to_string(number) + ": ";
        if (split == std::string_view::npos) {
            result.problems.push_back(where + "a word and its pinyin are needed");
            continue;
        }
        std::string reading(line.substr(split + 1));
        std::replace(reading.begin(), reading.end(), '\t', ' ');
        const std::u32string word = utf8_to_u32(line.substr(0, split));
        std::vector<Syllable> syllables;
        if (!std::all_of(word.begin(), word.end(), is_han))
            result.problems.push_back(where + "the word is not Chinese");
        else if (!parse_syllables(reading, syllables))
            result.problems.push_back(where + "the pinyin needs a tone digit 1-5 after each syllable");
        else if (const auto unknown = std::find_if(syllables.begin(), syllables.end(),
                                                   [](const Syllable &s) { return !is_pinyin_syllable(s.pinyin); });
                 unknown != syllables.end())
            result.problems.push_back(where + "\"" + unknown->pinyin.substr(0, kLongestSyllable + 2)
                                      + (unknown->pinyin.size() > kLongestSyllable + 2 ? "...\"" : "\"")
                                      + " is not a pinyin syllable");
        else if (syllables.size() != word.size())
            result.problems.push_back(where + "one syllable per character is needed");
        else
            result.words[word] = std::move(syllables);
    }
    return result;
}

const ReadingDictionary &ReadingDictionary::builtin()
{
    static const ReadingDictionary dictionary(std::string_view(
        lumeno_reading_table, static_cast<std::size_t>(lumeno_reading_table_end - lumeno_reading_table)));
    return dictionary;
}

ReadingDictionary::ReadingDictionary(std::string_view table)
{
    // Leading comment lines are skipped; the rest is searched where it lies, so a start costs
    // one pass over the bytes and no allocation (a process speaks from a fresh start per batch).
    std::size_t pos = 0;
    while (pos < table.size() && table[pos] == '#') {
        const std::size_t end = table.find('\n', pos);
        pos = end == std::string_view::npos ? table.size() : end + 1;
    }
    m_table = table.substr(pos);
    std::size_t length = 0; // characters of the current line's word so far
    bool in_word = true;
    for (const char c : m_table) {
        if (c == '\n') {
            length = 0;
            in_word = true;
        } else if (c == '\t') {
            in_word = false;
        } else if (in_word && (static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            // Characters are counted by their lead bytes.
            m_longest = std::max(m_longest, ++length);
        }
    }
}

ReadingDictionary::Entry ReadingDictionary::entry_at(std::size_t line_start, std::size_t *next_line) const
{
    std::size_t end = m_table.find('\n', line_start);
    if (end == std::string_view::npos)
        end = m_table.size();
    *next_line = end + 1;
    const std::string_view line = m_table.substr(line_start, end - line_start);
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos)
        return {line, {}};
    return {line.substr(0, tab), line.substr(tab + 1)};
}

std::size_t ReadingDictionary::lower_bound(std::string_view word) const
{
    // Binary search over line starts: lo is always a line start, hi a line start or the end.
    std::size_t lo = 0;
    std::size_t hi = m_table.size();
    while (lo < hi) {
        std::size_t mid = lo + (hi - lo) / 2;
        while (mid > lo && m_table[mid - 1] != '\n')
            --mid;
        std::size_t next = 0;
        if (entry_at(mid, &next).word < word)
            lo = next;
        else
            hi = mid;
    }
    return lo;
}

bool ReadingDictionary::has_prefix(std::string_view utf8_prefix) const
{
    const std::size_t at = lower_bound(utf8_prefix);
    if (at >= m_table.size())
        return false;
    std::size_t next = 0;
    return entry_at(at, &next).word.substr(0, utf8_prefix.size()) == utf8_prefix;
}

bool ReadingDictionary::find(std::string_view utf8_word, std::string_view &reading) const
{
    const std::size_t at = lower_bound(utf8_word);
    if (at >= m_table.size())
        return false;
    std::size_t next = 0;
    const Entry entry = entry_at(at, &next);
    if (entry.word != utf8_word)
        return false;
    reading = entry.reading;
    return true;
}

} // namespace speech
