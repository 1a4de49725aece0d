#include "polyphone_choice.h"

#include "polyphone_model.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

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

int policy()
{
    const char *p = std::getenv("LUMENO_POLY_POLICY");
    return p ? std::atoi(p) : 1;
}

bool model_decides(ReadingOrigin origin, std::size_t word_length)
{
    static const int mode = policy();
    switch (origin) {
    case ReadingOrigin::User:
        return false;
    case ReadingOrigin::Character:
        return mode != 0;
    case ReadingOrigin::Part:
        return mode >= 1;
    case ReadingOrigin::Word:
        return mode >= 3 || (mode == 2 && word_length == 2);
    }
    return false;
}

} // namespace

void PolyphoneChoice::add(std::size_t position, std::size_t item, ReadingOrigin origin, std::size_t word_length)
{
    static const bool debug = std::getenv("LUMENO_POLY_DEBUG") != nullptr;
    if (debug || model_decides(origin, word_length))
        m_candidates.push_back({position, item, origin, word_length});
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
            static const bool debug = std::getenv("LUMENO_POLY_DEBUG") != nullptr;
            if (debug) {
                const Candidate *c = nullptr;
                for (const Candidate &x : m_candidates)
                    if (x.item == chosen_items[k])
                        c = &x;
                std::fprintf(stderr, "D\t%zu\t%d\t%zu\t%s%d\t%s\t%.4f\n", c->position, static_cast<int>(c->origin),
                             c->word_length, item.syllable.pinyin.c_str(), item.syllable.tone,
                             std::string(model.class_name(classes[k].reading)).c_str(), classes[k].confidence);
                if (!model_decides(c->origin, c->word_length))
                    continue;
            }
            if (syllable_of(model.class_name(classes[k].reading), item.syllable))
                item.dictionary_tone = item.syllable.tone;
        }
    }
}

} // namespace speech
