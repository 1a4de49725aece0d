// SPDX-License-Identifier: GPL-3.0-or-later
#include "ssml_rewriter.h"

#include "script_runs.h"
#include "utf8.h"

#include <array>

namespace speech {
namespace {

struct NamedEntity {
    std::u32string_view name;
    char32_t value;
};

constexpr std::array named_entities{
    NamedEntity{U"lt", U'<'},   NamedEntity{U"gt", U'>'},    NamedEntity{U"amp", U'&'},
    NamedEntity{U"quot", U'"'}, NamedEntity{U"apos", U'\''},
};

bool is_hex(char32_t c)
{
    return (c >= U'0' && c <= U'9') || (c >= U'a' && c <= U'f') || (c >= U'A' && c <= U'F');
}

// The longest entity taken, "&#x10FFFF;" with room to spare: the search for its ';' looks no
// further, so a text of many '&' is read in linear time.
constexpr std::size_t max_entity_length = 11;

// Decodes the entity at text[i] ('&'); returns 0 when it is not a well-formed one.
char32_t decode_entity(std::u32string_view text, std::size_t i, std::size_t &length)
{
    const std::size_t offset = text.substr(i, max_entity_length).find(U';');
    if (offset == std::u32string_view::npos)
        return 0;
    const std::size_t semicolon = i + offset;
    const std::u32string_view body = text.substr(i + 1, semicolon - i - 1);
    length = semicolon - i + 1;
    for (const NamedEntity &entity : named_entities) {
        if (entity.name == body)
            return entity.value;
    }
    if (body.size() < 2 || body[0] != U'#')
        return 0;
    const bool hex = body[1] == U'x' || body[1] == U'X';
    const std::u32string_view digits = body.substr(hex ? 2 : 1);
    if (digits.empty())
        return 0;
    char32_t value = 0;
    for (char32_t c : digits) {
        if (hex ? !is_hex(c) : !(c >= U'0' && c <= U'9'))
            return 0;
        const char32_t digit = c <= U'9' ? c - U'0' : (c | 0x20) - U'a' + 10;
        value = value * (hex ? 16 : 10) + digit;
        if (value > 0x10FFFF)
            return 0;
    }
    if (value == 0 || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    return value;
}

bool is_blank(std::u32string_view text)
{
    return text.find_first_not_of(U" \t\r\n") == std::u32string_view::npos;
}

class Rewriter final {
public:
    Rewriter(const VoiceProfile &profile, NumberReading reading)
        : m_profile(profile)
        , m_reading(reading)
    {
    }

    std::string run(std::u32string_view doc)
    {
        std::size_t i = 0;
        while (i < doc.size()) {
            const char32_t c = doc[i];
            if (c == U'<') {
                const std::size_t end = markup_end(doc, i);
                if (end != std::u32string_view::npos) {
                    flush_text();
                    const std::u32string_view markup = doc.substr(i, end - i);
                    track_say_as(markup);
                    append_utf8_view(markup);
                    i = end;
                    continue;
                }
                m_text.push_back(c); // a '<' that opens nothing is text
            } else if (c == U'&') {
                std::size_t length = 1;
                const char32_t decoded = decode_entity(doc, i, length);
                m_text.push_back(decoded != 0 ? decoded : c);
                i += decoded != 0 ? length : 1;
                continue;
            } else {
                m_text.push_back(c);
            }
            ++i;
        }
        flush_text();
        return std::move(m_out);
    }

private:
    // The first position >= from where needle starts, remembered between calls: the calls come
    // with growing from, so the document is searched once in all, not once per '<'.
    struct ForwardSearch {
        std::u32string_view needle;
        std::size_t found = 0;
        bool searched = false;

        std::size_t next(std::u32string_view doc, std::size_t from)
        {
            if (!searched || (found != std::u32string_view::npos && found < from)) {
                found = doc.find(needle, from);
                searched = true;
            }
            return found;
        }
    };

    // One past the end of the tag, comment or declaration at doc[i], or npos.
    std::size_t markup_end(std::u32string_view doc, std::size_t i)
    {
        if (doc.substr(i, 4) == U"<!--") {
            const std::size_t close = m_comment_close.next(doc, i + 4);
            return close == std::u32string_view::npos ? doc.size() : close + 3;
        }
        const std::size_t close = m_tag_close.next(doc, i + 1);
        if (close == std::u32string_view::npos)
            return std::u32string_view::npos;
        // "a < b > c" is not a tag: a tag name starts right after '<'.
        const char32_t first = i + 1 < doc.size() ? doc[i + 1] : 0;
        const bool tag_like = first == U'/' || first == U'?' || first == U'!' || (first >= U'a' && first <= U'z')
                              || (first >= U'A' && first <= U'Z') || first == U'_';
        return tag_like ? close + 1 : std::u32string_view::npos;
    }

    // Inside <say-as> the document says how to read the text: its numbers are left alone.
    void track_say_as(std::u32string_view markup)
    {
        const auto is_name_end = [&markup](std::size_t at) {
            return at >= markup.size() || markup[at] == U' ' || markup[at] == U'>' || markup[at] == U'/'
                   || markup[at] == U'\t' || markup[at] == U'\n';
        };
        if (markup.substr(0, 7) == U"<say-as" && is_name_end(7) && markup.substr(markup.size() - 2) != U"/>")
            ++m_say_as_depth;
        else if (markup.substr(0, 8) == U"</say-as" && is_name_end(8) && m_say_as_depth > 0)
            --m_say_as_depth;
    }

    void append_utf8_view(std::u32string_view text)
    {
        for (char32_t c : text)
            append_utf8(m_out, c);
    }

    void flush_text()
    {
        if (m_text.empty())
            return;
        if (is_blank(m_text)) {
            append_xml_escaped(m_out, m_text);
            m_text.clear();
            return;
        }
        const NumberLanguage language =
            m_profile.family == ScriptFamily::Han ? NumberLanguage::Chinese : NumberLanguage::Other;
        const std::u32string normalised = m_say_as_depth > 0 ? m_text : normalise_numbers(m_text, m_reading, language);
        for (const ScriptRun &run : split_script_runs(normalised, m_profile.family)) {
            if (is_blank(run.text)) {
                append_xml_escaped(m_out, run.text);
                continue;
            }
            m_out += "<voice name=\"";
            m_out += run.foreign ? m_profile.foreign_voice : m_profile.espeak_voice;
            m_out += "\">";
            append_xml_escaped(m_out, run.text);
            m_out += "</voice>";
        }
        m_text.clear();
    }

    const VoiceProfile &m_profile;
    NumberReading m_reading;
    ForwardSearch m_tag_close{U">"};
    ForwardSearch m_comment_close{U"-->"};
    std::u32string m_text;
    std::string m_out;
    int m_say_as_depth = 0;
};

} // namespace

std::string rewrite_ssml(std::u32string_view document, const VoiceProfile &profile, NumberReading reading)
{
    return Rewriter(profile, reading).run(document);
}

} // namespace speech
