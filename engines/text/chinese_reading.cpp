// SPDX-License-Identifier: GPL-3.0-or-later
#include "chinese_reading.h"

#include "context_readings.h"
#include "polyphone_choice.h"
#include "script_runs.h"
#include "utf8.h"

#include <algorithm>
#include <array>
#include <utility>

namespace speech {
namespace {

// Where a syllable stands in the word the segmenter found for it.
struct Placement {
    std::size_t word_start = 0; // index of the word's first item
    std::size_t word_length = 1;
};

class Reader final {
public:
    explicit Reader(const UserReadings *user)
        : m_user(user)
        , m_dictionary(ReadingDictionary::builtin())
        , m_longest(std::min<std::size_t>(m_dictionary.longest_word(), 12))
    {
        if (m_user != nullptr) {
            for (const auto &[word, syllables] : m_user->words)
                m_user_longest = std::max(m_user_longest, word.size());
        }
        m_longest = std::max(m_longest, m_user_longest);
    }

    // composed: set when the word's reading was made from its characters. origins: where each
    // syllable's reading came from.
    bool lookup(std::u32string_view word, std::vector<Syllable> &out, bool *composed = nullptr,
                std::vector<ReadingOrigin> *origins = nullptr) const
    {
        if (composed != nullptr)
            *composed = false;
        if (m_user != nullptr) {
            const auto it = m_user->words.find(std::u32string(word));
            if (it != m_user->words.end()) {
                out = it->second;
                if (origins != nullptr)
                    origins->assign(out.size(), ReadingOrigin::User);
                return true;
            }
        }
        std::string_view reading;
        if (!m_dictionary.find(u32_to_utf8(word), reading))
            return false;
        if (!reading.empty()) {
            if (origins != nullptr)
                origins->assign(word.size(), word.size() == 1 ? ReadingOrigin::Character : ReadingOrigin::Word);
            return parse_syllables(reading, out) && out.size() == word.size();
        }
        if (word.size() == 1)
            return false;
        if (!compose(word, out, origins))
            return false;
        if (composed != nullptr)
            *composed = true;
        return true;
    }

    // The user's words inside a longer word read from the dictionary take their own reading
    // (朝阳 inside 朝阳区), the longest first.
    void overlay_user_words(std::u32string_view word, std::vector<Syllable> &out,
                            std::vector<ReadingOrigin> &origins) const
    {
        if (m_user == nullptr || m_user->words.empty() || word.size() < 3)
            return;
        for (std::size_t k = 0; k + 1 < word.size();) {
            std::size_t len = std::min(m_user_longest, word.size() - k);
            for (; len > 1; --len) {
                if (len == word.size())
                    continue;
                const auto it = m_user->words.find(std::u32string(word.substr(k, len)));
                if (it == m_user->words.end())
                    continue;
                std::copy(it->second.begin(), it->second.end(), out.begin() + static_cast<std::ptrdiff_t>(k));
                std::fill_n(origins.begin() + static_cast<std::ptrdiff_t>(k), len, ReadingOrigin::User);
                break;
            }
            k += std::max<std::size_t>(len, 1);
        }
    }

    // Fewest words, then fewest single characters (研究|生命 rather than 研究生|命), then fewest
    // words without a reading of their own (睡着|了 rather than 睡|着了).
    std::vector<std::size_t> segment(std::u32string_view run) const
    {
        using Cost = std::array<std::size_t, 3>;
        const std::size_t n = run.size();
        const std::size_t most = ~std::size_t{0};
        std::vector<Cost> cost(n + 1, Cost{most, 0, 0});
        std::vector<std::size_t> length(n + 1, 1);
        cost[0] = {0, 0, 0};
        std::vector<Syllable> scratch;
        for (std::size_t i = 0; i < n; ++i) {
            const auto extend = [&](std::size_t len, std::size_t single, std::size_t composed) {
                const Cost c{cost[i][0] + 1, cost[i][1] + single, cost[i][2] + composed};
                if (c < cost[i + len]) {
                    cost[i + len] = c;
                    length[i + len] = len;
                }
            };
            extend(1, 1, 0);
            for (std::size_t len = 2; len <= m_longest && i + len <= n; ++len) {
                bool composed = false;
                const std::u32string_view word = run.substr(i, len);
                if (lookup(word, scratch, &composed))
                    extend(len, 0, composed ? 1 : 0);
                else if (!m_dictionary.has_prefix(u32_to_utf8(word)) && !user_has_prefix(word))
                    break;
            }
        }
        std::vector<std::size_t> words;
        for (std::size_t end = n; end > 0; end -= length[end])
            words.push_back(length[end]);
        std::reverse(words.begin(), words.end());
        return words;
    }

private:
    // A word read as its parts: the longest words with a reading of their own inside it
    // (睡着|了), else its characters; a final 子 is a suffix.
    bool compose(std::u32string_view word, std::vector<Syllable> &out, std::vector<ReadingOrigin> *origins) const
    {
        std::vector<Syllable> own;
        std::vector<ReadingOrigin> own_origins;
        out.clear();
        if (origins != nullptr)
            origins->clear();
        for (std::size_t k = 0; k < word.size(); k += own.size()) {
            std::size_t len = word.size() - k == word.size() ? word.size() - 1 : word.size() - k;
            for (; len > 1; --len) {
                std::string_view part;
                if (m_dictionary.find(u32_to_utf8(word.substr(k, len)), part) && !part.empty()
                    && parse_syllables(part, own) && own.size() == len)
                    break;
            }
            own_origins.assign(len, ReadingOrigin::Part);
            if (len <= 1 && !lookup(word.substr(k, 1), own, nullptr, &own_origins))
                return false;
            out.insert(out.end(), own.begin(), own.end());
            if (origins != nullptr)
                origins->insert(origins->end(), own_origins.begin(), own_origins.end());
        }
        std::size_t last = word.size() - 1;
        if (word[last] == U'们') // 孩子们, 朋友们
            out[last--].tone = 5;
        if (word[last] == U'子') {
            out[last].tone = 5;
            if (origins != nullptr)
                (*origins)[last] = ReadingOrigin::Word;
        }
        return true;
    }

    bool user_has_prefix(std::u32string_view prefix) const
    {
        if (m_user == nullptr)
            return false;
        const auto it = m_user->words.lower_bound(std::u32string(prefix));
        return it != m_user->words.end() && std::u32string_view(it->first).substr(0, prefix.size()) == prefix;
    }

    const UserReadings *m_user;
    const ReadingDictionary &m_dictionary;
    std::size_t m_longest;
    std::size_t m_user_longest = 0;
};

bool is_numeral(char32_t c)
{
    return std::u32string_view(U"零〇一二三四五六七八九十百千万亿两").find(c) != std::u32string_view::npos;
}

bool is_digit_numeral(char32_t c)
{
    return std::u32string_view(U"零〇一二三四五六七八九").find(c) != std::u32string_view::npos;
}

class ToneRules final {
public:
    ToneRules(std::vector<ReadingItem> &items, const std::vector<Placement> &places)
        : m_items(items)
        , m_places(places)
    {
    }

    void particles()
    {
        for (std::size_t i = 0; i < m_items.size(); ++i) {
            if (m_items[i].is_syllable)
                neutral_suffix(i);
        }
    }

    void sandhi()
    {
        for (std::size_t i = 0; i < m_items.size(); ++i) {
            if (char_at(i) == U'一' && m_items[i].syllable.pinyin == "yi")
                yi(i);
            else if (char_at(i) == U'不' && m_items[i].syllable.pinyin == "bu")
                bu(i);
        }
        third_tones();
    }

private:
    char32_t char_at(std::size_t i) const
    {
        return i < m_items.size() && m_items[i].is_syllable ? m_items[i].text.front() : U'\0';
    }
    char32_t before(std::size_t i) const { return i > 0 ? char_at(i - 1) : U'\0'; }
    bool single(std::size_t i) const { return m_places[i].word_length == 1; }
    bool ends_word(std::size_t i) const { return m_places[i].word_start + m_places[i].word_length == i + 1; }

    // Particles and suffixes standing as words of their own after another syllable.
    void neutral_suffix(std::size_t i)
    {
        if (!single(i) || before(i) == U'\0')
            return;
        const char32_t c = char_at(i);
        if (std::u32string_view(U"们的了着子么").find(c) != std::u32string_view::npos)
            m_items[i].syllable.tone = 5;
        if (c == U'了')
            m_items[i].syllable.pinyin = "le";
        else if (c == U'着')
            m_items[i].syllable.pinyin = "zhe";
        else if (c == U'的')
            m_items[i].syllable.pinyin = "de";
    }

    // yī alone, at a word's end, in numbers (also after a decimal point), ordinals and dates; yí before a fourth tone,
    // yì before the others; neutral between a repeated verb (看一看).
    void yi(std::size_t i)
    {
        Syllable &s = m_items[i].syllable;
        const char32_t next = char_at(i + 1);
        const char32_t prev = before(i);
        if (next == U'\0' || (!single(i) && ends_word(i) && m_places[i].word_start != i) || is_numeral(prev)
            || prev == U'第' || prev == U'点' || is_digit_numeral(next) || next == U'月' || next == U'号')
            s.tone = 1;
        else if (prev == next)
            s.tone = 5;
        else
            s.tone = m_items[i + 1].dictionary_tone == 4 ? 2 : 4;
    }

    void bu(std::size_t i)
    {
        const char32_t next = char_at(i + 1);
        if (next == U'\0')
            return;
        if (before(i) == next)
            m_items[i].syllable.tone = 5; // 是不是
        else if (m_items[i + 1].dictionary_tone == 4)
            m_items[i].syllable.tone = 2;
    }

    // Within a prosodic word every third tone before another third tone is said as a second:
    // 你好 ní hǎo, 展览馆 zhán lán guǎn. A prosodic word is a dictionary word; single-character
    // words pair up from the right (我|很好), an odd one left over joining a two-character word
    // before it.
    void third_tones()
    {
        std::size_t i = 0;
        while (i < m_items.size()) {
            if (!m_items[i].is_syllable) {
                ++i;
                continue;
            }
            std::size_t end = i;
            while (end < m_items.size() && m_items[end].is_syllable)
                ++end;
            phrase(i, end);
            i = end;
        }
    }

    void phrase(std::size_t begin, std::size_t end)
    {
        std::vector<std::pair<std::size_t, std::size_t>> groups;
        std::size_t i = begin;
        while (i < end) {
            if (m_places[i].word_length > 1) {
                groups.emplace_back(i, i + m_places[i].word_length);
                i += m_places[i].word_length;
                continue;
            }
            std::size_t singles_end = i;
            while (singles_end < end && m_places[singles_end].word_length == 1)
                ++singles_end;
            if ((singles_end - i) % 2 == 1) {
                // The odd one joins a two-character word before it (展览|馆) or stands alone.
                const bool joins = !groups.empty() && groups.back().second == i
                                   && groups.back().second - groups.back().first == 2
                                   && m_places[groups.back().first].word_length == 2;
                if (joins)
                    groups.back().second = i + 1;
                else
                    groups.emplace_back(i, i + 1);
                ++i;
            }
            for (; i < singles_end; i += 2)
                groups.emplace_back(i, i + 2);
        }
        for (const auto &[first, last] : groups) {
            for (std::size_t k = first; k + 1 < last; ++k) {
                if (m_items[k].syllable.tone == 3 && m_items[k + 1].syllable.tone == 3)
                    m_items[k].syllable.tone = 2;
            }
        }
    }

    std::vector<ReadingItem> &m_items;
    const std::vector<Placement> &m_places;
};

void taiwan_accent(std::vector<ReadingItem> &items, const Reader &reader)
{
    std::vector<Syllable> own;
    for (ReadingItem &item : items) {
        if (!item.is_syllable)
            continue;
        std::string &p = item.syllable.pinyin;
        if (p.size() > 2 && p[1] == 'h' && (p[0] == 'z' || p[0] == 'c' || p[0] == 's'))
            p.erase(1, 1);
        const bool particle =
            std::u32string_view(U"的了吗呢吧啊么们着").find(item.text.front()) != std::u32string_view::npos;
        if (item.syllable.tone == 5 && !particle && reader.lookup(item.text, own) && own.front().tone != 5)
            item.syllable.tone = own.front().tone;
    }
}

void append_token(std::string &out, std::string_view token)
{
    if (token.empty())
        return;
    if (!out.empty())
        out += ' ';
    out += token;
}

std::string syllable_text(const Syllable &s)
{
    return s.pinyin + static_cast<char>('0' + s.tone);
}

ContextSay context_say(std::u32string_view word, std::size_t k, ReadingOrigin origin)
{
    if (origin == ReadingOrigin::Character)
        return ContextSay::Full;
    if (origin == ReadingOrigin::Word && word.size() == 2 && k == 1 && is_numeral(word[0]))
        return ContextSay::MeasureWordOnly;
    return ContextSay::None;
}

std::vector<ReadingItem> decide(const Reader &reader, std::u32string_view text, std::vector<Placement> &places)
{
    std::vector<ReadingItem> items;
    std::vector<Syllable> syllables;
    std::vector<ReadingOrigin> origins;
    std::vector<ContextSay> say; // per item: how far its context may change it
    PolyphoneChoice polyphones;
    const auto literal = [&](char32_t c) {
        if (items.empty() || items.back().is_syllable) {
            items.push_back({});
            places.push_back({});
            say.push_back(ContextSay::None);
        }
        items.back().text.push_back(c);
    };
    std::size_t i = 0;
    while (i < text.size()) {
        if (!is_han(text[i])) {
            literal(text[i++]);
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && is_han(text[end]))
            ++end;
        const std::u32string_view run = text.substr(i, end - i);
        std::size_t at = 0;
        for (const std::size_t length : reader.segment(run)) {
            const std::u32string_view word = run.substr(at, length);
            if (!reader.lookup(word, syllables, nullptr, &origins)) {
                literal(word.front()); // a character without any reading: left to the voice
            } else {
                reader.overlay_user_words(word, syllables, origins);
                const std::size_t start = items.size();
                for (std::size_t k = 0; k < length; ++k) {
                    polyphones.add(i + at + k, items.size(), origins[k], word[k]);
                    say.push_back(context_say(word, k, origins[k]));
                    items.push_back({std::u32string(1, word[k]), syllables[k], syllables[k].tone, true});
                    places.push_back({start, length});
                }
            }
            at += length;
        }
        i = end;
    }
    polyphones.choose(text, items);
    apply_context_readings(items, say);
    ToneRules(items, places).particles();
    return items;
}

} // namespace

std::vector<ReadingItem> decide_chinese_readings(std::u32string_view text, const UserReadings *user)
{
    std::vector<Placement> places;
    return decide(Reader(user), text, places);
}

std::vector<ReadingItem> read_chinese(std::u32string_view text, const UserReadings *user, ReadingAccent accent)
{
    const Reader reader(user);
    std::vector<Placement> places;
    std::vector<ReadingItem> items = decide(reader, text, places);
    ToneRules(items, places).sandhi();
    if (accent == ReadingAccent::Taiwan)
        taiwan_accent(items, reader);
    return items;
}

std::string reading_text(const std::vector<ReadingItem> &items)
{
    std::string out;
    for (const ReadingItem &item : items) {
        if (item.is_syllable) {
            append_token(out, syllable_text(item.syllable));
            continue;
        }
        const std::string literal = u32_to_utf8(item.text);
        const std::size_t first = literal.find_first_not_of(" \t\r\n");
        if (first != std::string::npos)
            append_token(out, literal.substr(first, literal.find_last_not_of(" \t\r\n") + 1 - first));
    }
    return out;
}

std::string pinyin_speech_text(const std::vector<ReadingItem> &items)
{
    std::string out;
    for (const ReadingItem &item : items) {
        if (!out.empty() && out.back() != ' ')
            out += ' ';
        out += item.is_syllable ? syllable_text(item.syllable) : u32_to_utf8(item.text);
    }
    return out;
}

} // namespace speech
