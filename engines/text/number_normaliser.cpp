// SPDX-License-Identifier: GPL-3.0-or-later
#include "number_normaliser.h"

#include "chinese_numerals.h"
#include "number_context.h"

#include <algorithm>
#include <array>

namespace speech {
namespace {

struct LatinUnit {
    std::u32string_view symbol;
    std::u32string_view chinese; // empty: the English voice reads the symbol itself
};

constexpr std::array latin_units{
    LatinUnit{U"km", U"公里"},  LatinUnit{U"kg", U"千克"},    LatinUnit{U"cm", U"厘米"}, LatinUnit{U"mm", U"毫米"},
    LatinUnit{U"m", U"米"},     LatinUnit{U"g", U"克"},       LatinUnit{U"mg", U"毫克"}, LatinUnit{U"ml", U"毫升"},
    LatinUnit{U"mL", U"毫升"},  LatinUnit{U"L", U"升"},       LatinUnit{U"s", U"秒"},    LatinUnit{U"ms", U"毫秒"},
    LatinUnit{U"min", U"分钟"}, LatinUnit{U"h", U"小时"},     LatinUnit{U"Hz", U"赫兹"}, LatinUnit{U"kHz", U"千赫"},
    LatinUnit{U"MHz", U"兆赫"}, LatinUnit{U"GHz", U"吉赫"},   LatinUnit{U"W", U"瓦"},    LatinUnit{U"kW", U"千瓦"},
    LatinUnit{U"V", U"伏"},     LatinUnit{U"mAh", U"毫安时"}, LatinUnit{U"KB", U""},     LatinUnit{U"MB", U""},
    LatinUnit{U"GB", U""},      LatinUnit{U"TB", U""},        LatinUnit{U"kB", U""},
};

// Measure words and units that make the number before them a quantity. 年 is among them:
// a four-digit number before it is a year and is caught before the unit test.
constexpr std::u32string_view chinese_unit_chars =
    U"个只条本张件位名人口次回遍元块角毛分岁天日月周年号点时秒米克斤两吨升度倍页层楼辆台部套"
    U"份种项家所座间双对首篇句届班级场万亿千百亩里尺寸码公厘毫平立摄美欧英港多余℃";

struct Currency {
    char32_t symbol;
    std::u32string_view chinese;
};

constexpr std::array currencies{
    Currency{U'¥', U"元"},   Currency{U'￥', U"元"},  Currency{U'$', U"美元"},
    Currency{U'€', U"欧元"}, Currency{U'£', U"英镑"},
};

bool is_ascii_digit(char32_t c)
{
    return c >= U'0' && c <= U'9';
}

bool is_wide_digit(char32_t c)
{
    return c >= U'０' && c <= U'９';
}

bool is_digit(char32_t c)
{
    return is_ascii_digit(c) || is_wide_digit(c);
}

char32_t ascii_digit(char32_t c)
{
    return is_wide_digit(c) ? U'0' + (c - U'０') : c;
}

bool is_latin_letter(char32_t c)
{
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7);
}

bool is_minus(char32_t c)
{
    return c == U'-' || c == U'－' || c == U'−';
}

bool is_point(char32_t c)
{
    return c == U'.' || c == U'．';
}

bool is_percent(char32_t c)
{
    return c == U'%' || c == U'％';
}

const Currency *find_currency(char32_t c)
{
    for (const Currency &currency : currencies) {
        if (currency.symbol == c)
            return &currency;
    }
    return nullptr;
}

struct NumberToken {
    std::size_t end = 0; // one past the last character consumed
    const Currency *currency = nullptr;
    bool negative = false;
    std::u32string integer;  // ASCII digits
    bool grouped = false;    // written with thousands separators
    std::u32string fraction; // ASCII digits after the decimal point
    bool has_point = false;
    bool percent = false;
    bool unit = false;
    std::u32string_view unit_words; // a symbol's Chinese reading, written instead of it
    std::size_t unit_end = 0;       // end of that symbol
    bool year = false;
    bool glued_to_word = false;
};

class Scanner final {
public:
    explicit Scanner(std::u32string_view text)
        : m_text(text)
    {
    }

    char32_t at(std::size_t i) const { return i < m_text.size() ? m_text[i] : 0; }

    std::size_t digit_run(std::size_t i) const
    {
        std::size_t j = i;
        while (j < m_text.size() && is_digit(m_text[j]))
            ++j;
        return j;
    }

    // Whether position i starts a number: a digit, or a sign or currency symbol before one.
    bool starts_number(std::size_t i) const
    {
        const char32_t previous = i > 0 ? m_text[i - 1] : 0;
        if (is_latin_letter(previous) || is_digit(previous))
            return false;
        std::size_t j = i;
        if (find_currency(at(j)) != nullptr)
            ++j;
        if (is_minus(at(j)))
            ++j;
        return is_digit(at(j));
    }

    NumberToken read(std::size_t i) const
    {
        NumberToken token;
        std::size_t j = i;
        token.currency = find_currency(at(j));
        if (token.currency != nullptr)
            ++j;
        if (is_minus(at(j))) {
            token.negative = true;
            ++j;
        }
        std::size_t end = digit_run(j);
        for (std::size_t k = j; k < end; ++k)
            token.integer.push_back(ascii_digit(m_text[k]));
        j = end;
        // 1,234,567: groups of exactly three digits after a head of one to three.
        if (token.integer.size() <= 3) {
            while (at(j) == U',' && digit_run(j + 1) == j + 4) {
                for (std::size_t k = j + 1; k < j + 4; ++k)
                    token.integer.push_back(ascii_digit(m_text[k]));
                token.grouped = true;
                j += 4;
            }
        }
        if (is_point(at(j)) && is_digit(at(j + 1))) {
            token.has_point = true;
            end = digit_run(j + 1);
            for (std::size_t k = j + 1; k < end; ++k)
                token.fraction.push_back(ascii_digit(m_text[k]));
            j = end;
        }
        if (is_percent(at(j))) {
            token.percent = true;
            ++j;
        }
        token.end = j;
        read_suffix(token);
        return token;
    }

private:
    void read_suffix(NumberToken &token) const
    {
        const std::size_t j = token.end;
        if (!token.percent && is_latin_letter(at(j))) {
            // Directly followed by letters: a unit symbol, or part of a word like 3D or 12th.
            token.unit = read_latin_unit(j, token);
            token.glued_to_word = !token.unit;
            return;
        }
        if (at(j) == U'年' && !token.percent && token.integer.size() == 4 && !token.negative && !token.grouped
            && !token.has_point) {
            token.year = true;
            return;
        }
        const std::size_t k = at(j) == U' ' ? j + 1 : j;
        if ((at(k) == U'°' && at(k + 1) == U'C') || at(k) == U'℃') {
            token.unit = true;
            token.unit_words = U"摄氏度";
            token.unit_end = at(k) == U'℃' ? k + 1 : k + 2;
        } else if (chinese_unit_chars.find(at(k)) != std::u32string_view::npos) {
            token.unit = true;
        } else if (k != j && is_latin_letter(at(k))) {
            token.unit = read_latin_unit(k, token);
        }
    }

    bool read_latin_unit(std::size_t i, NumberToken &token) const
    {
        std::size_t j = i;
        while (is_latin_letter(at(j)))
            ++j;
        const std::u32string_view word = m_text.substr(i, j - i);
        for (const LatinUnit &unit : latin_units) {
            if (unit.symbol == word) {
                token.unit_words = unit.chinese;
                token.unit_end = j;
                return true;
            }
        }
        return false;
    }

    std::u32string_view m_text;
};

bool read_as_digits(const NumberToken &token, NumberReading reading)
{
    const bool value_sign = token.percent || token.has_point || token.unit || token.currency;
    switch (reading) {
    case NumberReading::AlwaysValues:
        return false;
    case NumberReading::AlwaysDigits:
        return true;
    case NumberReading::DigitsFirst:
        return token.year || !value_sign;
    case NumberReading::ValuesFirst:
        break;
    }
    if (token.year)
        return true;
    if (value_sign || token.grouped)
        return false;
    const bool phone_like = token.integer.size() >= 7;
    const bool leading_zero = token.integer.size() > 1 && token.integer.front() == U'0';
    return phone_like || leading_zero;
}

// Returns the position after the text consumed (the token and a translated unit).
std::size_t write_chinese(const NumberToken &token, std::size_t begin, bool digits, std::u32string_view text,
                          std::u32string &out)
{
    const auto after = [&](std::size_t k) { return k < text.size() ? text[k] : U'\0'; };
    const char32_t next = token.unit_words.empty() ? after(token.end) : token.unit_words.front();
    const char32_t after_next = token.unit_words.empty() ? after(token.end + 1) : U'\0';
    const bool temperature = token.unit_words == U"摄氏度" || next == U'度';
    if (token.negative)
        out += temperature ? U"零下" : U"负";
    if (token.percent)
        out += U"百分之";
    if (digits)
        out += chinese_digits(token.integer);
    else if (token.year || token.percent || token.has_point)
        out += chinese_value(token.integer);
    else
        out += counted_value(token.integer, next, after_next, begin > 0 && text[begin - 1] == U'第');
    if (token.has_point) {
        out += U"点";
        out += chinese_digits(token.fraction);
    }
    std::size_t end = token.end;
    if (!token.unit_words.empty()) {
        out += token.unit_words;
        end = token.unit_end;
    }
    if (token.currency != nullptr) {
        // ¥5万 is 五万元: the magnitude goes before the currency's name.
        if (end < text.size() && (text[end] == U'万' || text[end] == U'亿'))
            out.push_back(text[end++]);
        out += token.currency->chinese;
    }
    return end;
}

std::u32string spaced_digits(std::u32string_view digits)
{
    std::u32string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0)
            out.push_back(U' ');
        out.push_back(digits[i]);
    }
    return out;
}

std::size_t write_other(const NumberToken &token, std::size_t begin, bool digits, std::u32string_view text,
                        std::u32string &out)
{
    if (!digits) {
        // espeak-ng reads values in its own language; only full-width forms are narrowed.
        for (std::size_t i = begin; i < token.end; ++i) {
            const char32_t c = text[i];
            out.push_back(is_point(c) ? U'.' : is_percent(c) ? U'%' : is_minus(c) ? U'-' : ascii_digit(c));
        }
        return token.end;
    }
    if (token.currency != nullptr)
        out.push_back(token.currency->symbol);
    if (token.negative)
        out.push_back(U'-');
    out += spaced_digits(token.integer);
    if (token.has_point) {
        out.push_back(U'.');
        out += spaced_digits(token.fraction);
    }
    if (token.percent)
        out.push_back(U'%');
    return token.end;
}

} // namespace

std::u32string normalise_numbers(std::u32string_view text, NumberReading reading, NumberLanguage language)
{
    std::u32string out;
    out.reserve(text.size() * 2);
    const Scanner scanner(text);
    std::size_t i = 0;
    while (i < text.size()) {
        const bool word_start = i == 0 || !(is_latin_letter(text[i - 1]) || is_digit(text[i - 1]));
        if (language == NumberLanguage::Chinese && word_start) {
            const std::size_t end = read_number_in_context(text, i, out);
            if (end != i) {
                i = end;
                continue;
            }
        }
        if (!scanner.starts_number(i)) {
            // Digits inside a word (MP3, 3D) are copied with the word.
            if (is_digit(text[i]) || is_latin_letter(text[i])) {
                while (i < text.size() && (is_digit(text[i]) || is_latin_letter(text[i])))
                    out.push_back(text[i++]);
            } else {
                out.push_back(text[i++]);
            }
            continue;
        }
        const NumberToken token = scanner.read(i);
        if (token.glued_to_word) {
            while (i < text.size() && (is_digit(text[i]) || is_latin_letter(text[i]) || i < token.end))
                out.push_back(text[i++]);
            continue;
        }
        const bool digits = read_as_digits(token, reading);
        i = language == NumberLanguage::Chinese ? write_chinese(token, i, digits, text, out)
                                                : write_other(token, i, digits, text, out);
    }
    return out;
}

} // namespace speech
