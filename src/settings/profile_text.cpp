// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/profile_text.h"

#include "platform/gbk.h"

#include <algorithm>

namespace {

constexpr QByteArrayView kLineBreak = "\r\n";

// No trail byte of a double-byte character is a blank, so trimming never splits one.
bool is_blank(char c)
{
    return (c >= '\t' && c <= '\r') || c == ' ' || c == '\x1A';
}

QByteArrayView trimmed(QByteArrayView s)
{
    while (!s.isEmpty() && is_blank(s.front()))
        s = s.sliced(1);
    while (!s.isEmpty() && is_blank(s.back()))
        s.chop(1);
    return s;
}

char ascii_lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// ASCII letters match in either case; a double-byte character only matches itself, even when
// its trail byte happens to be a letter.
bool same_name(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size();) {
        const qsizetype n = gbk::char_length(a, i);
        if (n == 1 ? ascii_lower(a[i]) != ascii_lower(b[i]) : a.sliced(i, n) != b.sliced(i, n))
            return false;
        i += n;
    }
    return true;
}

// The position of the last "]" that is a character of its own (not a trail byte), or -1.
qsizetype last_bracket(QByteArrayView s)
{
    qsizetype found = -1;
    for (qsizetype i = 0; i < s.size(); i += gbk::char_length(s, i)) {
        if (s[i] == ']')
            found = i;
    }
    return found;
}

bool may_be_header(QByteArrayView line)
{
    qsizetype i = 0;
    while (i < line.size() && is_blank(line[i]))
        ++i;
    return i < line.size() && line[i] == '[';
}

enum class LineKind { Blank, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Blank;
    QByteArrayView name;
    std::optional<QByteArrayView> value;
};

ParsedLine parse(QByteArrayView line)
{
    const QByteArrayView t = trimmed(line);
    if (t.isEmpty())
        return {};
    if (t.front() == '[') {
        const qsizetype close = last_bracket(t);
        if (close > 0)
            return {LineKind::Section, trimmed(t.sliced(1, close - 1)), {}};
    }
    // "=" is below every trail byte, so the first one is always a character of its own.
    const qsizetype eq = t.indexOf('=');
    if (eq < 0)
        return {LineKind::Key, t, std::nullopt};
    return {LineKind::Key, trimmed(t.first(eq)), trimmed(t.sliced(eq + 1))};
}

QByteArrayView unquoted(QByteArrayView value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

QByteArray entry(QByteArrayView key, QByteArrayView value)
{
    QByteArray line;
    line.reserve(key.size() + value.size() + 1);
    line.append(key).append('=').append(value);
    return line;
}

} // namespace

// Where a key stands: only the first section of the name counts, as with the platform's reader.
struct ProfileText::KeyPlace {
    std::optional<size_t> header;
    std::optional<size_t> key_line;
    std::optional<size_t> last_key_line;
};

ProfileText::ProfileText(QByteArray text)
    : m_original(std::move(text))
{
    const QByteArrayView all(m_original);
    for (qsizetype begin = 0; begin < all.size();) {
        // A line ends at its first CR or LF; both searches run at memchr speed.
        const qsizetype lf = all.indexOf('\n', begin);
        const qsizetype cr = all.first(lf < 0 ? all.size() : lf).indexOf('\r', begin);
        const qsizetype end = cr >= 0 ? cr : lf >= 0 ? lf : all.size();
        qsizetype next = end;
        if (next < all.size())
            next += all[next] == '\r' && next + 1 < all.size() && all[next + 1] == '\n' ? 2 : 1;
        m_lines.push_back({all.sliced(begin, end - begin), all.sliced(end, next - end)});
        begin = next;
    }
}

ProfileText::KeyPlace ProfileText::find(QByteArrayView section, QByteArrayView key) const
{
    section = trimmed(section);
    key = trimmed(key);
    KeyPlace place;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        // Outside the section only headers matter; most lines are told apart by their first byte.
        if (!place.header && !may_be_header(m_lines[i].text))
            continue;
        const ParsedLine parsed = parse(m_lines[i].text);
        if (parsed.kind == LineKind::Section) {
            if (place.header)
                break;
            if (same_name(parsed.name, section))
                place.header = i;
            continue;
        }
        if (!place.header || parsed.kind != LineKind::Key)
            continue;
        place.last_key_line = i;
        if (!place.key_line && same_name(parsed.name, key))
            place.key_line = i;
    }
    return place;
}

QByteArray ProfileText::read(QByteArrayView section, QByteArrayView key, QByteArrayView fallback,
                             qsizetype buffer_size) const
{
    if (buffer_size <= 0)
        return {};
    QByteArrayView result = fallback;
    while (!result.isEmpty() && result.back() == ' ')
        result.chop(1);
    if (const KeyPlace place = find(section, key); place.key_line) {
        if (const ParsedLine parsed = parse(m_lines[*place.key_line].text); parsed.value)
            result = unquoted(*parsed.value);
    }
    return result.first(std::min(result.size(), buffer_size - 1)).toByteArray();
}

QByteArrayView ProfileText::keep(QByteArray bytes)
{
    m_changed = true;
    return m_written.emplace_back(std::move(bytes));
}

void ProfileText::write(QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    const KeyPlace place = find(section, key);
    if (place.key_line) {
        Line &line = m_lines[*place.key_line];
        const ParsedLine parsed = parse(line.text);
        if (parsed.value && *parsed.value == value)
            return;
        line.text = keep(entry(parsed.name, value));
        return;
    }
    const Line added{keep(entry(trimmed(key), value)), kLineBreak};
    if (place.header) {
        const size_t after = place.last_key_line.value_or(*place.header);
        if (m_lines[after].line_break.isEmpty())
            m_lines[after].line_break = kLineBreak;
        m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(after + 1), added);
        return;
    }
    if (!m_lines.empty() && m_lines.back().line_break.isEmpty())
        m_lines.back().line_break = kLineBreak;
    m_lines.push_back({keep(QByteArray("[").append(trimmed(section)).append(']')), kLineBreak});
    m_lines.push_back(added);
}

QByteArray ProfileText::text() const
{
    if (!m_changed)
        return m_original;
    qsizetype size = 0;
    for (const Line &line : m_lines)
        size += line.text.size() + line.line_break.size();
    QByteArray out;
    out.reserve(size);
    for (const Line &line : m_lines)
        out.append(line.text).append(line.line_break);
    return out;
}
