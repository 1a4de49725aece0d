#include "settings/profile_file.h"

#include "platform/file_replace.h"
#include "platform/gbk.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <optional>
#include <vector>

namespace {

constexpr QByteArrayView kLineBreak = "\r\n";

// One line of the file: [begin, end) is its text without the line break, next is where the
// following line starts (end itself when the file stops without a break).
struct Line {
    qsizetype begin;
    qsizetype end;
    qsizetype next;
};

std::vector<Line> split_lines(QByteArrayView text)
{
    std::vector<Line> lines;
    for (qsizetype begin = 0; begin < text.size();) {
        const qsizetype lf = text.indexOf('\n', begin);
        if (lf < 0) {
            lines.push_back({begin, text.size(), text.size()});
            break;
        }
        const qsizetype end = lf > begin && text[lf - 1] == '\r' ? lf - 1 : lf;
        lines.push_back({begin, end, lf + 1});
        begin = lf + 1;
    }
    return lines;
}

QByteArrayView line_text(QByteArrayView text, const Line &line)
{
    return text.sliced(line.begin, line.end - line.begin);
}

// No trail byte of a double-byte character is a blank, so trimming never splits one.
bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\v';
}

QByteArrayView trimmed(QByteArrayView s)
{
    while (!s.isEmpty() && is_blank(s.front()))
        s = s.sliced(1);
    while (!s.isEmpty() && is_blank(s.back()))
        s.chop(1);
    return s;
}

// Names handed in by the caller lose their spaces only; tabs stay part of the name.
QByteArrayView without_spaces(QByteArrayView s)
{
    while (!s.isEmpty() && s.front() == ' ')
        s = s.sliced(1);
    while (!s.isEmpty() && s.back() == ' ')
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

enum class LineKind { Blank, Comment, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Blank;
    QByteArrayView name;
    QByteArrayView value;
};

ParsedLine parse(QByteArrayView line)
{
    const QByteArrayView t = trimmed(line);
    if (t.isEmpty())
        return {};
    if (t.front() == ';')
        return {LineKind::Comment, {}, {}};
    if (t.front() == '[') {
        // The name ends at the first ']' (a whole character, not a trail byte) or the line's end.
        const QByteArrayView rest = t.sliced(1);
        const qsizetype close = gbk::find(rest, "]");
        return {LineKind::Section, trimmed(close < 0 ? rest : rest.first(close)), {}};
    }
    const qsizetype eq = gbk::find(t, "=");
    if (eq < 0)
        return {LineKind::Key, t, {}};
    return {LineKind::Key, trimmed(t.first(eq)), trimmed(t.sliced(eq + 1))};
}

// Where a key stands: only the first section of the name counts, as with the platform's reader.
struct KeyPlace {
    std::optional<size_t> header;
    std::optional<size_t> key_line;
    std::optional<size_t> last_key_line;
};

KeyPlace find_key(QByteArrayView text, const std::vector<Line> &lines, QByteArrayView section, QByteArrayView key)
{
    KeyPlace place;
    for (size_t i = 0; i < lines.size(); ++i) {
        const ParsedLine parsed = parse(line_text(text, lines[i]));
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

QByteArray read_profile_string(QByteArrayView section, QByteArrayView key, QByteArrayView fallback, const QString &path,
                               qsizetype buffer_size)
{
    if (buffer_size <= 0)
        return {};
    QByteArrayView result = fallback;
    while (!result.isEmpty() && result.back() == ' ')
        result.chop(1);

    QByteArray text;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        text = file.readAll();
        const std::vector<Line> lines = split_lines(text);
        const KeyPlace place = find_key(text, lines, without_spaces(section), without_spaces(key));
        if (place.key_line)
            result = unquoted(parse(line_text(text, lines[*place.key_line])).value);
    }
    return result.first(std::min(result.size(), buffer_size - 1)).toByteArray();
}

bool write_profile_string(QByteArrayView section, QByteArrayView key, QByteArrayView value, const QString &path)
{
    const QByteArrayView section_name = without_spaces(section);
    const QByteArrayView key_name = without_spaces(key);

    QByteArray text;
    if (QFileInfo::exists(path)) {
        // A read-only file keeps its content, even where the folder would allow replacing it.
        QFile existing(path);
        if (!QFileInfo(path).isWritable() || !existing.open(QIODevice::ReadOnly))
            return false;
        text = existing.readAll();
    }

    const std::vector<Line> lines = split_lines(text);
    const KeyPlace place = find_key(text, lines, section_name, key_name);
    if (place.key_line) {
        // The key keeps the spelling it has in the file; only its line's text is rewritten.
        const Line &line = lines[*place.key_line];
        const QByteArray existing_name = parse(line_text(text, line)).name.toByteArray();
        text.replace(line.begin, line.end - line.begin, entry(existing_name, value));
    } else if (place.header) {
        const Line &after = lines[place.last_key_line.value_or(*place.header)];
        QByteArray added = entry(key_name, value).append(kLineBreak);
        if (after.next == after.end)
            added.prepend(kLineBreak);
        text.insert(after.next, added);
    } else {
        if (!text.isEmpty() && !text.endsWith('\n'))
            text.append(kLineBreak);
        text.append('[').append(section_name).append(']').append(kLineBreak);
        text.append(entry(key_name, value)).append(kLineBreak);
    }

    return replace_file(path, text);
}
