// SPDX-License-Identifier: GPL-3.0-or-later
#include "she_format.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace skin {
namespace {

constexpr std::array<std::uint8_t, 4> kMagic = {0x2E, 0x53, 0x48, 0x45};
constexpr std::uint16_t kVersion = 1;
constexpr std::size_t kHeaderSize = 12;

constexpr std::string_view kStyleTag = "STYL";
constexpr std::string_view kFontTag = "FONT";
constexpr std::string_view kColourTag = "COLR";
constexpr std::string_view kSheetTag = "QSS ";

// Reads fields front to back; any read past the end fails it for good.
class Reader {
public:
    Reader(const std::uint8_t *data, std::size_t size)
        : m_data(data)
        , m_size(size)
    {
    }

    bool ok() const { return m_ok; }
    bool at_end() const { return m_pos == m_size; }

    std::uint32_t number(std::size_t bytes)
    {
        if (!take(bytes))
            return 0;
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < bytes; ++i)
            value |= static_cast<std::uint32_t>(m_data[m_pos - bytes + i]) << (8 * i);
        return value;
    }

    std::string_view bytes(std::size_t count)
    {
        if (!take(count))
            return {};
        return {reinterpret_cast<const char *>(m_data + m_pos - count), count};
    }

private:
    bool take(std::size_t count)
    {
        if (!m_ok || count > m_size - m_pos) {
            m_ok = false;
            return false;
        }
        m_pos += count;
        return true;
    }

    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    bool m_ok = true;
};

bool printable_ascii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}

bool read_font(std::string_view payload, SkinData &skin)
{
    Reader in(reinterpret_cast<const std::uint8_t *>(payload.data()), payload.size());
    const auto pixels = static_cast<int>(in.number(2));
    const std::string_view family = in.bytes(payload.size() >= 2 ? payload.size() - 2 : 0);
    if (!in.ok() || pixels < kMinFontPixels || pixels > kMaxFontPixels || family.size() > kMaxFamilyLength
        || family.find('\0') != std::string_view::npos)
        return false;
    skin.font_pixels = pixels;
    skin.font_family = family;
    return true;
}

bool read_colours(std::string_view payload, SkinData &skin)
{
    Reader in(reinterpret_cast<const std::uint8_t *>(payload.data()), payload.size());
    const std::uint32_t count = in.number(2);
    // The names point into the payload, which outlives the check; a hostile skin's 65,535
    // colours cost one look-up each.
    std::unordered_set<std::string_view> names;
    for (std::uint32_t i = 0; i < count && in.ok(); ++i) {
        Colour colour;
        const std::string_view name = in.bytes(in.number(1));
        colour.name = name;
        colour.red = static_cast<std::uint8_t>(in.number(1));
        colour.green = static_cast<std::uint8_t>(in.number(1));
        colour.blue = static_cast<std::uint8_t>(in.number(1));
        colour.alpha = static_cast<std::uint8_t>(in.number(1));
        if (!in.ok() || !valid_colour_name(name) || !names.insert(name).second)
            return false;
        skin.colours.push_back(std::move(colour));
    }
    return in.ok() && in.at_end();
}

bool read_section(std::string_view tag, std::string_view payload, SkinData &skin)
{
    if (tag == kStyleTag) {
        skin.base_style = payload;
        return !payload.empty() && payload.size() <= kMaxNameLength && printable_ascii(payload);
    }
    if (tag == kFontTag)
        return read_font(payload, skin);
    if (tag == kColourTag)
        return read_colours(payload, skin);
    if (tag == kSheetTag) {
        skin.style_sheet = payload;
        return payload.find('\0') == std::string_view::npos && sheet_urls_allowed(payload);
    }
    return true; // a section of a later version of the format
}

void put_number(std::vector<std::uint8_t> &out, std::uint32_t value, std::size_t bytes)
{
    for (std::size_t i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void put_bytes(std::vector<std::uint8_t> &out, std::string_view bytes)
{
    out.insert(out.end(), bytes.begin(), bytes.end());
}

void put_section(std::vector<std::uint8_t> &out, std::string_view tag, const std::vector<std::uint8_t> &payload)
{
    put_bytes(out, tag);
    put_number(out, static_cast<std::uint32_t>(payload.size()), 4);
    out.insert(out.end(), payload.begin(), payload.end());
}

bool name_char(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

std::string colour_text(const Colour &c)
{
    char text[32];
    if (c.alpha == 255)
        std::snprintf(text, sizeof text, "#%02x%02x%02x", c.red, c.green, c.blue);
    else
        std::snprintf(text, sizeof text, "rgba(%d, %d, %d, %d)", c.red, c.green, c.blue, c.alpha);
    return text;
}

constexpr std::string_view kOwnImages = ":/skin-el/";

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool starts_with_ignoring_case(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size()
           && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char p, char t) { return p == lower(t); });
}

bool blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

bool image_path_char(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_'
           || c == '.' || c == '/';
}

// The text after "url(" names one of the library's own images and ends the url.
bool names_own_image(std::string_view rest)
{
    std::size_t i = 0;
    while (i < rest.size() && blank(rest[i]))
        ++i;
    const char quote = i < rest.size() && (rest[i] == '"' || rest[i] == '\'') ? rest[i++] : '\0';
    if (starts_with_ignoring_case(rest.substr(i), "qrc"))
        i += 3;
    if (rest.substr(i, kOwnImages.size()) != kOwnImages)
        return false;
    i += kOwnImages.size();
    const std::size_t start = i;
    while (i < rest.size() && image_path_char(rest[i]))
        ++i;
    if (rest.substr(start, i - start).find("..") != std::string_view::npos)
        return false;
    if (quote != '\0' && (i >= rest.size() || rest[i++] != quote))
        return false;
    while (i < rest.size() && blank(rest[i]))
        ++i;
    return i < rest.size() && rest[i] == ')';
}

} // namespace

bool sheet_urls_allowed(std::string_view sheet)
{
    // A backslash could spell "url" or a path in an escape the search below would not see.
    if (sheet.find('\\') != std::string_view::npos)
        return false;
    for (std::size_t i = 0; i + 4 <= sheet.size(); ++i) {
        if (starts_with_ignoring_case(sheet.substr(i), "url(") && !names_own_image(sheet.substr(i + 4)))
            return false;
    }
    return true;
}

bool valid_colour_name(std::string_view name)
{
    return !name.empty() && name.size() <= kMaxNameLength && std::all_of(name.begin(), name.end(), name_char);
}

std::optional<SkinData> parse_skin(const std::uint8_t *data, std::size_t size)
{
    if (data == nullptr || size < kHeaderSize || size > kMaxSkinSize
        || std::memcmp(data, kMagic.data(), kMagic.size()) != 0)
        return std::nullopt;
    Reader in(data, size);
    in.bytes(kMagic.size());
    const std::uint32_t version = in.number(2);
    const std::uint32_t sections = in.number(2);
    const std::uint32_t total = in.number(4);
    if (version != kVersion || total != size)
        return std::nullopt;

    SkinData skin;
    std::vector<std::string_view> seen;
    for (std::uint32_t i = 0; i < sections; ++i) {
        const std::string_view tag = in.bytes(4);
        const std::string_view payload = in.bytes(in.number(4));
        if (!in.ok())
            return std::nullopt;
        if (std::find(seen.begin(), seen.end(), tag) != seen.end() || !read_section(tag, payload, skin))
            return std::nullopt;
        seen.push_back(tag);
    }
    const bool has_sheet = std::find(seen.begin(), seen.end(), kSheetTag) != seen.end();
    if (!in.at_end() || !has_sheet)
        return std::nullopt;
    return skin;
}

std::optional<std::vector<std::uint8_t>> encode_skin(const SkinData &skin)
{
    const bool font_ok =
        skin.font_pixels == 0
        || (skin.font_pixels >= kMinFontPixels && skin.font_pixels <= kMaxFontPixels
            && skin.font_family.size() <= kMaxFamilyLength && skin.font_family.find('\0') == std::string::npos);
    const bool style_ok = skin.base_style.size() <= kMaxNameLength && printable_ascii(skin.base_style);
    std::unordered_set<std::string_view> names;
    const bool colours_ok = skin.colours.size() <= 0xFFFF
                            && std::all_of(skin.colours.begin(), skin.colours.end(), [&names](const Colour &c) {
                                   return valid_colour_name(c.name) && names.insert(c.name).second;
                               });
    if (!font_ok || !style_ok || !colours_ok || skin.style_sheet.find('\0') != std::string::npos
        || !sheet_urls_allowed(skin.style_sheet))
        return std::nullopt;

    std::vector<std::uint8_t> body;
    std::uint16_t sections = 0;
    if (!skin.base_style.empty()) {
        put_section(body, kStyleTag, {skin.base_style.begin(), skin.base_style.end()});
        ++sections;
    }
    if (skin.font_pixels != 0) {
        std::vector<std::uint8_t> font;
        put_number(font, static_cast<std::uint32_t>(skin.font_pixels), 2);
        put_bytes(font, skin.font_family);
        put_section(body, kFontTag, font);
        ++sections;
    }
    if (!skin.colours.empty()) {
        std::vector<std::uint8_t> colours;
        put_number(colours, static_cast<std::uint32_t>(skin.colours.size()), 2);
        for (const Colour &c : skin.colours) {
            put_number(colours, static_cast<std::uint32_t>(c.name.size()), 1);
            put_bytes(colours, c.name);
            for (std::uint8_t channel : {c.red, c.green, c.blue, c.alpha})
                colours.push_back(channel);
        }
        put_section(body, kColourTag, colours);
        ++sections;
    }
    put_section(body, kSheetTag, {skin.style_sheet.begin(), skin.style_sheet.end()});
    ++sections;

    std::vector<std::uint8_t> out(kMagic.begin(), kMagic.end());
    put_number(out, kVersion, 2);
    put_number(out, sections, 2);
    const std::size_t total = kHeaderSize + body.size();
    if (total > kMaxSkinSize)
        return std::nullopt;
    put_number(out, static_cast<std::uint32_t>(total), 4);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

std::optional<std::string> resolve_colours(std::string_view sheet, const std::vector<Colour> &colours)
{
    std::unordered_map<std::string_view, const Colour *> by_name;
    by_name.reserve(colours.size());
    for (const Colour &c : colours)
        by_name.emplace(c.name, &c);
    std::string out;
    out.reserve(sheet.size());
    for (std::size_t i = 0; i < sheet.size();) {
        if (sheet[i] != '$') {
            out += sheet[i++];
            continue;
        }
        std::size_t end = i + 1;
        while (end < sheet.size() && name_char(sheet[end]))
            ++end;
        const std::string_view name = sheet.substr(i + 1, end - i - 1);
        const auto found = by_name.find(name);
        if (found == by_name.end())
            return std::nullopt;
        out += colour_text(*found->second);
        i = end;
    }
    return out;
}

} // namespace skin
