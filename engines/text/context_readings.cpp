// SPDX-License-Identifier: GPL-3.0-or-later
#include "context_readings.h"

#include <span>
#include <string_view>

namespace speech {
namespace {

struct CharacterReading {
    char32_t character;
    const char *pinyin;
    int tone;
};

// The adjective's reading after 很, 太 and the like: 很长 cháng, 太重 zhòng.
constexpr CharacterReading adjectives[] = {
    {U'长', "chang", 2}, {U'重', "zhong", 4}, {U'好', "hao", 3},  {U'难', "nan", 2}, {U'薄', "bao", 2},
    {U'空', "kong", 1},  {U'干', "gan", 1},   {U'少', "shao", 3}, {U'累', "lei", 4},
};
constexpr std::u32string_view degree_words = U"很太真更最挺够极越蛮好";

// The measure word's reading after a numeral: 一只 zhī, 两卷 juǎn.
constexpr CharacterReading measure_words[] = {
    {U'只', "zhi", 1},   {U'卷', "juan", 3},   {U'处', "chu", 4},   {U'曲', "qu", 3},
    {U'把', "ba", 3},    {U'行', "hang", 2},   {U'种', "zhong", 3}, {U'间', "jian", 1},
    {U'场', "chang", 3}, {U'幢', "zhuang", 4}, {U'扎', "zha", 1},   {U'宿', "xiu", 3},
};
constexpr std::u32string_view numerals = U"一二三四五六七八九十两几每半";

// The surname's reading: 姓曾 Zēng, 解先生 Xiè.
constexpr CharacterReading surnames[] = {
    {U'曾', "zeng", 1}, {U'单', "shan", 4},  {U'区', "ou", 1},   {U'解', "xie", 4},  {U'查', "zha", 1},
    {U'朴', "piao", 2}, {U'仇', "qiu", 2},   {U'翟', "zhai", 2}, {U'盖', "ge", 3},   {U'缪', "miao", 4},
    {U'褚', "chu", 3},  {U'覃', "qin", 2},   {U'尉', "yu", 4},   {U'纪', "ji", 3},   {U'贾', "jia", 3},
    {U'乐', "yue", 4},  {U'种', "chong", 2}, {U'秘', "bi", 4},   {U'召', "shao", 4}, {U'宿', "su", 4},
    {U'牟', "mou", 2},  {U'繁', "po", 2},    {U'员', "yun", 4},  {U'燕', "yan", 1},  {U'薄', "bo", 2},
};
constexpr std::u32string_view titles[] = {U"先生", U"女士", U"老师", U"小姐", U"教授", U"同学", U"医生",
                                          U"师傅", U"经理", U"阿姨", U"叔叔", U"太太", U"老板", U"总"};

// After a verb, 得 before these links a complement (跑得很快): de.
constexpr std::u32string_view complement_starts = U"很非太真好更特十极挺越满这那像跟比快慢清干直让令要难";
// 得 as "must" (你得走) follows a person or an adverb and comes before a verb, not before 了 or
// the objects of dé (得了第一, 得分).
constexpr std::u32string_view must_before = U"你我他她们咱就还也都总必非又才却";
constexpr std::u32string_view not_after_must = U"了到知出以分奖胜益意罪手病名失票势逞宠体当力天";
// Adverbs made with 地 (不断地, 认真地) beyond the doubled ones (慢慢地).
constexpr std::u32string_view adverbs[] = {U"不断", U"逐渐", U"认真", U"仔细", U"努力", U"不停", U"明显",
                                           U"大声", U"轻声", U"小心", U"高兴", U"热情", U"积极", U"主动",
                                           U"彻底", U"迅速", U"默默", U"悄悄", U"静静", U"缓缓"};

const CharacterReading *find(std::span<const CharacterReading> table, char32_t c)
{
    for (const CharacterReading &entry : table) {
        if (entry.character == c)
            return &entry;
    }
    return nullptr;
}

bool contains(std::u32string_view set, char32_t c)
{
    return c != U'\0' && set.find(c) != std::u32string_view::npos;
}

class Context final {
public:
    Context(std::vector<ReadingItem> &items, const std::vector<ContextSay> &say)
        : m_items(items)
        , m_say(say)
    {
    }

    void apply()
    {
        for (std::size_t i = 0; i < m_items.size(); ++i) {
            if (m_say[i] == ContextSay::None)
                continue;
            const CharacterReading *reading = m_say[i] == ContextSay::Full ? decide(i) : measure_word(i);
            if (reading != nullptr) {
                m_items[i].syllable = {reading->pinyin, reading->tone};
                m_items[i].dictionary_tone = reading->tone;
            }
        }
    }

private:
    // The character at offset from i within the same run of Chinese, or '\0'.
    char32_t at(std::size_t i, std::ptrdiff_t offset) const
    {
        const std::ptrdiff_t k = static_cast<std::ptrdiff_t>(i) + offset;
        const std::ptrdiff_t step = offset < 0 ? 1 : -1;
        for (std::ptrdiff_t j = k; j != static_cast<std::ptrdiff_t>(i); j += step) {
            if (j < 0 || j >= static_cast<std::ptrdiff_t>(m_items.size())
                || !m_items[static_cast<std::size_t>(j)].is_syllable)
                return U'\0';
        }
        return m_items[static_cast<std::size_t>(k)].text.front();
    }

    bool followed_by(std::size_t i, std::u32string_view word) const
    {
        for (std::size_t k = 0; k < word.size(); ++k) {
            if (at(i, static_cast<std::ptrdiff_t>(k + 1)) != word[k])
                return false;
        }
        return true;
    }

    bool preceded_by(std::size_t i, std::u32string_view word) const
    {
        for (std::size_t k = 0; k < word.size(); ++k) {
            if (at(i, -static_cast<std::ptrdiff_t>(word.size() - k)) != word[k])
                return false;
        }
        return true;
    }

    const CharacterReading *decide(std::size_t i) const
    {
        static constexpr CharacterReading de{U'得', "de", 5};
        static constexpr CharacterReading dei{U'得', "dei", 3};
        static constexpr CharacterReading adverbial{U'地', "de", 5};
        const char32_t c = m_items[i].text.front();
        const char32_t prev = at(i, -1);
        const char32_t next = at(i, 1);
        if (prev == U'姓' || ((prev == U'\0' || contains(U"位老小", prev)) && surname_before_title(i)))
            return find(surnames, c);
        if (contains(degree_words, prev) && (c != U'好' || prev != U'好'))
            if (const CharacterReading *r = find(adjectives, c))
                return r;
        if (const CharacterReading *r = measure_word(i))
            return r;
        if (c == U'得' && prev != U'\0' && contains(complement_starts, next))
            return &de;
        if (c == U'得' && contains(must_before, prev) && next != U'\0' && !contains(not_after_must, next))
            return &dei;
        if (c == U'地' && next != U'\0' && ((prev != U'\0' && prev == at(i, -2)) || adverb_before(i)))
            return &adverbial;
        return nullptr;
    }

    const CharacterReading *measure_word(std::size_t i) const
    {
        const char32_t c = m_items[i].text.front();
        const char32_t next = at(i, 1);
        if (!contains(numerals, at(i, -1)) || (c == U'行' && next == U'人'))
            return nullptr;
        // A volume (第一卷, 三卷本, 共四卷) is juàn; a roll (一卷纸) juǎn.
        if (c == U'卷' && (next == U'\0' || contains(U"本书集册", next) || at(i, -2) == U'第'))
            return nullptr;
        return find(measure_words, c);
    }

    bool surname_before_title(std::size_t i) const
    {
        for (const std::u32string_view title : titles) {
            if (followed_by(i, title))
                return true;
        }
        return false;
    }

    bool adverb_before(std::size_t i) const
    {
        for (const std::u32string_view adverb : adverbs) {
            if (preceded_by(i, adverb))
                return true;
        }
        return false;
    }

    std::vector<ReadingItem> &m_items;
    const std::vector<ContextSay> &m_say;
};

} // namespace

void apply_context_readings(std::vector<ReadingItem> &items, const std::vector<ContextSay> &say)
{
    Context(items, say).apply();
}

} // namespace speech
