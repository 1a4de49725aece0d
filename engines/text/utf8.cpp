// SPDX-License-Identifier: GPL-3.0-or-later
#include "utf8.h"

namespace speech {
namespace {

constexpr char32_t replacement = U'\uFFFD';

// Decodes the sequence at bytes[pos]; on success sets length and returns the code point,
// otherwise returns replacement with length 1 so the caller resynchronises on the next byte.
char32_t decode_one(std::string_view bytes, std::size_t pos, std::size_t &length)
{
    const auto lead = static_cast<unsigned char>(bytes[pos]);
    length = 1;
    if (lead < 0x80)
        return lead;
    std::size_t extra = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1;
        value = lead & 0x1Fu;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2;
        value = lead & 0x0Fu;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3;
        value = lead & 0x07u;
        minimum = 0x10000;
    } else {
        return replacement;
    }
    if (pos + extra >= bytes.size())
        return replacement;
    for (std::size_t i = 1; i <= extra; ++i) {
        const auto next = static_cast<unsigned char>(bytes[pos + i]);
        if ((next & 0xC0u) != 0x80u)
            return replacement;
        value = (value << 6) | (next & 0x3Fu);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return replacement;
    length = extra + 1;
    return value;
}

} // namespace

bool is_valid_utf8(std::string_view bytes)
{
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t length = 0;
        // A well-formed U+FFFD is three bytes long; only a failed decode has length 1.
        if (decode_one(bytes, pos, length) == replacement && length == 1)
            return false;
        pos += length;
    }
    return true;
}

std::u32string utf8_to_u32(std::string_view bytes)
{
    std::u32string out;
    out.reserve(bytes.size());
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t length = 0;
        out.push_back(decode_one(bytes, pos, length));
        pos += length;
    }
    return out;
}

void append_utf8(std::string &out, char32_t c)
{
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        c = replacement;
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::string u32_to_utf8(std::u32string_view text)
{
    std::string out;
    out.reserve(text.size() * 3);
    for (char32_t c : text)
        append_utf8(out, c);
    return out;
}

void append_xml_escaped(std::string &out, std::u32string_view text)
{
    for (const char32_t c : text) {
        switch (c) {
        case U'<':
            out += "&lt;";
            break;
        case U'>':
            out += "&gt;";
            break;
        case U'&':
            out += "&amp;";
            break;
        default:
            append_utf8(out, c);
        }
    }
}

} // namespace speech
