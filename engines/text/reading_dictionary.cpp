#include "reading_dictionary.h"

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
    m_entries.reserve(table.size() / 16);
    std::size_t pos = 0;
    while (pos < table.size()) {
        std::size_t end = table.find('\n', pos);
        if (end == std::string_view::npos)
            end = table.size();
        const std::string_view line = table.substr(pos, end - pos);
        pos = end + 1;
        const std::size_t tab = line.find('\t');
        if (line.empty() || line.front() == '#' || tab == std::string_view::npos)
            continue;
        const std::string_view word = line.substr(0, tab);
        m_entries.push_back({word, line.substr(tab + 1)});
        // Characters are counted by their lead bytes.
        const auto length = static_cast<std::size_t>(std::count_if(
            word.begin(), word.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
        m_longest = std::max(m_longest, length);
    }
}

bool ReadingDictionary::has_prefix(std::string_view utf8_prefix) const
{
    const auto it = std::lower_bound(m_entries.begin(), m_entries.end(), utf8_prefix,
                                     [](const Entry &e, std::string_view w) { return e.word < w; });
    return it != m_entries.end() && it->word.substr(0, utf8_prefix.size()) == utf8_prefix;
}

bool ReadingDictionary::find(std::string_view utf8_word, std::string_view &reading) const
{
    const auto it = std::lower_bound(m_entries.begin(), m_entries.end(), utf8_word,
                                     [](const Entry &e, std::string_view w) { return e.word < w; });
    if (it == m_entries.end() || it->word != utf8_word)
        return false;
    reading = it->reading;
    return true;
}

} // namespace speech
