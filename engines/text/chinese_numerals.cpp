// SPDX-License-Identifier: GPL-3.0-or-later
#include "chinese_numerals.h"

namespace speech {
namespace {

constexpr char32_t digit_chars[] = U"零一二三四五六七八九";
constexpr char32_t small_units[] = {0, U'十', U'百', U'千'};

char32_t digit_char(char32_t ascii_digit)
{
    return digit_chars[ascii_digit - U'0'];
}

// The 4-digit group at index (0 = units, 1 = 万, 2 = 亿, 3 = 万亿) and its unit text.
std::u32string_view group_unit(std::size_t group, bool previous_group_empty)
{
    switch (group) {
    case 1:
        return U"万";
    case 2:
        return U"亿";
    case 3:
        // 1,0000,0000,0000 is 一万亿, but 1,2345,0000,0000 is 一万二千三百四十五亿.
        return previous_group_empty ? U"万亿" : U"万";
    default:
        return U"";
    }
}

} // namespace

std::u32string chinese_digits(std::u32string_view digits)
{
    std::u32string out;
    out.reserve(digits.size());
    for (char32_t d : digits)
        out.push_back(digit_char(d));
    return out;
}

std::u32string chinese_value(std::u32string_view digits)
{
    const std::size_t first = digits.find_first_not_of(U'0');
    if (first == std::u32string_view::npos)
        return U"零";
    digits.remove_prefix(first);
    if (digits.size() > max_chinese_value_digits)
        return chinese_digits(digits);

    std::u32string out;
    bool pending_zero = false;
    bool group_has_digit = false;
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t power = n - 1 - i;
        const std::size_t position = power % 4;
        const std::size_t group = power / 4;
        const char32_t d = digits[i];
        if (d == U'0') {
            pending_zero = !out.empty();
        } else {
            if (pending_zero)
                out.push_back(U'零');
            pending_zero = false;
            group_has_digit = true;
            // 10..19 at the head of the number are 十…, not 一十….
            const bool leading_ten = i == 0 && position == 1 && d == U'1';
            if (!leading_ten)
                out.push_back(digit_char(d));
            if (position > 0)
                out.push_back(small_units[position]);
        }
        if (position == 0 && group > 0) {
            if (group_has_digit) {
                const bool lower_group_empty =
                    group == 3 && digits.substr(i + 1, 4).find_first_not_of(U'0') == std::u32string_view::npos;
                out += group_unit(group, lower_group_empty);
            }
            group_has_digit = false;
        }
    }
    return out;
}

} // namespace speech
