// SPDX-License-Identifier: GPL-3.0-or-later
// The number normaliser: the first byte picks the reading and the language, the rest is UTF-8
// text. It must never crash, and text without digits must come back unchanged.

#include "chinese_numerals.h"
#include "number_normaliser.h"
#include "utf8.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const auto reading = static_cast<speech::NumberReading>(data[0] % 4);
    const auto language = (data[0] & 4) != 0 ? speech::NumberLanguage::Other : speech::NumberLanguage::Chinese;
    const std::u32string text =
        speech::utf8_to_u32(std::string_view(reinterpret_cast<const char *>(data + 1), size - 1));

    const std::u32string out = speech::normalise_numbers(text, reading, language);
    const bool has_digit = std::any_of(
        text.begin(), text.end(), [](char32_t c) { return (c >= U'0' && c <= U'9') || (c >= U'０' && c <= U'９'); });
    if (!has_digit && out != text)
        std::abort();

    // The numeral reader on its own, with the digits of the text.
    std::u32string digits;
    for (char32_t c : text) {
        if (c >= U'0' && c <= U'9')
            digits.push_back(c);
    }
    if (!digits.empty() && speech::chinese_value(digits).empty())
        std::abort();
    return 0;
}
