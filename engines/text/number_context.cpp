// SPDX-License-Identifier: GPL-3.0-or-later
#include "number_context.h"

#include "chinese_numerals.h"

#include <optional>

namespace speech {
namespace {

char32_t narrow(char32_t c)
{
    if (c >= U'０' && c <= U'９')
        return U'0' + (c - U'０');
    switch (c) {
    case U'：':
        return U':';
    case U'／':
        return U'/';
    case U'－':
    case U'−':
        return U'-';
    case U'．':
        return U'.';
    case U'％':
        return U'%';
    case U'～':
        return U'~';
    default:
        return c;
    }
}

bool digit_at(std::u32string_view text, std::size_t i)
{
    const char32_t c = i < text.size() ? narrow(text[i]) : 0;
    return c >= U'0' && c <= U'9';
}

char32_t at(std::u32string_view text, std::size_t i)
{
    return i < text.size() ? narrow(text[i]) : 0;
}

// A run of 1..max_length digits at i, none directly after it.
std::optional<std::u32string> digits_at(std::u32string_view text, std::size_t &i, std::size_t max_length = 16)
{
    std::u32string digits;
    while (digit_at(text, i) && digits.size() <= max_length)
        digits.push_back(narrow(text[i++]));
    if (digits.empty() || digits.size() > max_length)
        return std::nullopt;
    return digits;
}

int number_of(const std::u32string &digits)
{
    int value = 0;
    for (const char32_t d : digits)
        value = value * 10 + static_cast<int>(d - U'0');
    return value;
}

// Measure words after which 2 is 两. Left out: what numbers things in order (月 号 日 楼 级 届).
constexpr std::u32string_view measure_chars = U"个只条本张件位名人口次回遍元块角毛分岁天周年点时秒米克斤吨升度倍页"
                                              U"层辆台部套份种项家所座间双对首篇句场万亿千百亩里尺寸码公厘毫";

constexpr std::u32string_view range_marks = U"-~—到";

bool is_unit(char32_t c)
{
    return measure_chars.find(c) != std::u32string_view::npos
           || std::u32string_view(U"月号日楼级届").find(c) != std::u32string_view::npos;
}

std::size_t time_of_day(std::u32string_view text, std::size_t i, std::u32string &out)
{
    std::size_t j = i;
    const auto hour = digits_at(text, j, 2);
    if (!hour || at(text, j) != U':' || !digit_at(text, j + 1))
        return i;
    ++j;
    const auto minute = digits_at(text, j, 2);
    std::optional<std::u32string> second;
    if (minute && at(text, j) == U':' && digit_at(text, j + 1)) {
        ++j;
        second = digits_at(text, j, 2);
        if (!second || second->size() != 2 || number_of(*second) > 59)
            return i;
    }
    if (!minute || minute->size() != 2 || number_of(*hour) > 24 || number_of(*minute) > 59)
        return i;
    out += counted_value(*hour, U'点', 0, false) + U"点";
    if (number_of(*minute) > 0 || second) {
        out += (minute->front() == U'0' && number_of(*minute) > 0 ? U"零" : U"") + chinese_value(*minute) + U"分";
    }
    if (second)
        out += chinese_value(*second) + U"秒";
    return j;
}

std::size_t date(std::u32string_view text, std::size_t i, std::u32string &out)
{
    std::size_t j = i;
    const auto year = digits_at(text, j, 4);
    const char32_t separator = at(text, j);
    if (!year || year->size() != 4 || (separator != U'-' && separator != U'/' && separator != U'.'))
        return i;
    ++j;
    const auto month = digits_at(text, j, 2);
    if (!month || at(text, j) != separator)
        return i;
    ++j;
    const auto day = digits_at(text, j, 2);
    if (!day || number_of(*month) < 1 || number_of(*month) > 12 || number_of(*day) < 1 || number_of(*day) > 31)
        return i;
    out += chinese_digits(*year) + U"年" + chinese_value(*month) + U"月" + chinese_value(*day) + U"日";
    return j;
}

std::size_t fraction(std::u32string_view text, std::size_t i, std::u32string &out)
{
    std::size_t j = i;
    const auto numerator = digits_at(text, j, 4);
    if (!numerator || at(text, j) != U'/' || !digit_at(text, j + 1))
        return i;
    ++j;
    const auto denominator = digits_at(text, j, 4);
    if (!denominator || number_of(*denominator) == 0 || at(text, j) == U'/')
        return i;
    out += chinese_value(*denominator) + U"分之" + chinese_value(*numerator);
    return j;
}

// 3-5天, 3%-5%, 3-5%: the two ends joined by 到. A bare 3-5 stays as it is (a score, a code).
std::size_t range(std::u32string_view text, std::size_t i, std::u32string &out)
{
    std::size_t j = i;
    const auto from = digits_at(text, j, 8);
    const bool from_percent = at(text, j) == U'%';
    if (from_percent)
        ++j;
    if (!from || range_marks.find(at(text, j)) == std::u32string_view::npos || !digit_at(text, j + 1))
        return i;
    ++j;
    const auto to = digits_at(text, j, 8);
    if (!to)
        return i;
    const bool to_percent = at(text, j) == U'%';
    if (to_percent) {
        ++j;
        out += U"百分之" + chinese_value(*from) + U"到百分之" + chinese_value(*to);
        return j;
    }
    if (from_percent || !is_unit(at(text, j)))
        return i;
    const char32_t unit = at(text, j);
    out +=
        counted_value(*from, unit, at(text, j + 1), false) + U"到" + counted_value(*to, unit, at(text, j + 1), false);
    return j;
}

// v2.1.3, V10.0 and bare 2.1.3: each part digit by digit, joined by 点.
std::size_t version(std::u32string_view text, std::size_t i, std::u32string &out)
{
    const bool prefixed = at(text, i) == U'v' || at(text, i) == U'V';
    std::size_t j = prefixed ? i + 1 : i;
    std::u32string spoken = prefixed ? std::u32string(1, text[i]) : std::u32string();
    std::size_t parts = 0;
    while (true) {
        const auto part = digits_at(text, j, 8);
        if (!part)
            return i;
        spoken += chinese_digits(*part);
        ++parts;
        if (at(text, j) != U'.' || !digit_at(text, j + 1))
            break;
        spoken += U"点";
        ++j;
    }
    if (parts < (prefixed ? 2U : 3U))
        return i;
    out += spoken;
    return j;
}

} // namespace

std::u32string counted_value(std::u32string_view digits, char32_t next, char32_t after_next, bool ordinal)
{
    std::u32string value = chinese_value(digits);
    if (ordinal || (next == U'年' && after_next == U'级'))
        return value;
    const bool counted = measure_chars.find(next) != std::u32string_view::npos;
    if (value == U"二" && counted)
        value = U"两";
    else if (value.size() > 1 && value[0] == U'二'
             && std::u32string_view(U"千万亿").find(value[1]) != std::u32string_view::npos)
        value[0] = U'两';
    return value;
}

std::size_t read_number_in_context(std::u32string_view text, std::size_t i, std::u32string &out)
{
    for (const auto pattern : {date, version, time_of_day, fraction, range}) {
        const std::size_t end = pattern(text, i, out);
        if (end != i)
            return end;
    }
    return i;
}

} // namespace speech
