// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// UTF-8 and UTF-32 conversions for the engine's text handling.

#include <string>
#include <string_view>

namespace speech {

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF).
bool is_valid_utf8(std::string_view bytes);

// Decodes UTF-8; every ill-formed sequence becomes one U+FFFD.
std::u32string utf8_to_u32(std::string_view bytes);

void append_utf8(std::string &out, char32_t c);
std::string u32_to_utf8(std::u32string_view text);
// Appends text as UTF-8 with the three characters markup gives a meaning escaped.
void append_xml_escaped(std::string &out, std::u32string_view text);

} // namespace speech
