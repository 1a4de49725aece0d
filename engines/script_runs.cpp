#include "script_runs.h"

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

} // namespace

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
        if (family == ScriptFamily::Han && cls == CharClass::Neutral && current_foreign && is_latin_joiner(text[i])) {
            // "hello world", "don't", "Win 10 Pro": joiners between Latin letters stay Latin.
            std::size_t j = i;
            while (j < text.size() && is_latin_joiner(text[j]))
                ++j;
            if (j < text.size() && is_latin(text[j]))
                length = j - i;
        } else if (family == ScriptFamily::Han && is_digit(text[i]) && i + 1 < text.size()) {
            // Digits that run into Latin letters (3D, 4K) belong to the word.
            std::size_t j = i;
            while (j < text.size() && is_digit(text[j]))
                ++j;
            if (j < text.size() && is_latin(text[j])) {
                cls = CharClass::Foreign;
                length = j - i;
            }
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
