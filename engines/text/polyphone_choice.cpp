// SPDX-License-Identifier: GPL-3.0-or-later
#include "polyphone_choice.h"

#include "polyphone_model.h"

#include <algorithm>

namespace speech {
namespace {

bool ends_sentence(char32_t c)
{
    return std::u32string_view(U"。！？；!?;\n…").find(c) != std::u32string_view::npos;
}

// "zhao2" → zhao, 2.
bool syllable_of(std::string_view name, Syllable &out)
{
    if (name.size() < 2 || name.back() < '1' || name.back() > '5')
        return false;
    out.pinyin = std::string(name.substr(0, name.size() - 1));
    out.tone = name.back() - '0';
    return true;
}

// The dictionary's words keep their readings, also inside longer words read as their parts
// (睡着|了): on everyday text they are right where the network, trained on long written
// sentences, is not (会计, 种花, 了解, 睡着了); the words the development sentences show
// wrong are corrected in the table instead. Characters read on their own are the network's.
bool model_decides(ReadingOrigin origin)
{
    return origin == ReadingOrigin::Character;
}

} // namespace

void PolyphoneChoice::add(std::size_t position, std::size_t item, ReadingOrigin origin, char32_t c)
{
    // 一 and 不 are stored in their own tones and changed by the tone rules in context.
    if (model_decides(origin) && c != U'一' && c != U'不')
        m_candidates.push_back({position, item});
}

void PolyphoneChoice::choose(std::u32string_view text, std::vector<ReadingItem> &items) const
{
    const PolyphoneModel &model = PolyphoneModel::builtin();
    std::vector<std::size_t> targets;
    std::vector<std::size_t> chosen_items;
    std::size_t next = 0;
    while (next < m_candidates.size()) {
        // The sentence around the next candidate, its closing mark included.
        std::size_t start = m_candidates[next].position;
        while (start > 0 && !ends_sentence(text[start - 1]))
            --start;
        std::size_t end = m_candidates[next].position;
        while (end < text.size() && !ends_sentence(text[end]))
            ++end;
        end = std::min(end + 1, text.size());
        targets.clear();
        chosen_items.clear();
        for (; next < m_candidates.size() && m_candidates[next].position < end; ++next) {
            if (!model.is_polyphone(text[m_candidates[next].position]))
                continue;
            targets.push_back(m_candidates[next].position - start);
            chosen_items.push_back(m_candidates[next].item);
        }
        if (targets.empty())
            continue;
        const std::vector<PolyphoneModel::Choice> classes = model.choose(text.substr(start, end - start), targets);
        for (std::size_t k = 0; k < classes.size(); ++k) {
            ReadingItem &item = items[chosen_items[k]];
            if (syllable_of(model.class_name(classes[k].reading), item.syllable))
                item.dictionary_tone = item.syllable.tone;
        }
    }
}

} // namespace speech
