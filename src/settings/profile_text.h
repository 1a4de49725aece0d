// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// An INI text held in memory, read and edited with the rules of the Windows profile functions
// the settings file was designed around, so that a hand-edited file means what it would mean
// there:
// - a line ends at CR, LF or CR LF;
// - blanks are the bytes 09-0D, 20 and 1A; they are trimmed from lines, names and values (a
//   full-width space is a character like any other);
// - a line "[name]" opens a section; the name ends at the last "]" of the line, and a "[" line
//   without one is an ordinary line;
// - every other non-blank line is a key line, ";" lines included; without "=" it has no value
//   and a read of it gives the fallback;
// - names match ignoring ASCII letter case and the blanks around them; only the first section
//   of a name is consulted, and in it the first line of the key.
// Names and values are GBK byte strings; the text is never decoded as a whole. Edits change
// only the line they concern, so every other byte keeps its place.

#include <QByteArray>
#include <QByteArrayView>
#include <deque>
#include <optional>
#include <vector>

class ProfileText final {
public:
    explicit ProfileText(QByteArray text = {});
    ProfileText(ProfileText &&) = default;
    ProfileText &operator=(ProfileText &&) = default;
    ProfileText(const ProfileText &) = delete;
    ProfileText &operator=(const ProfileText &) = delete;

    // The value of key in section with one pair of matching enclosing quotes (single or double)
    // dropped, or fallback less its trailing spaces when the section, the key or its value is
    // missing. At most buffer_size - 1 bytes, as with a zero-terminated buffer of that size.
    QByteArray read(QByteArrayView section, QByteArrayView key, QByteArrayView fallback,
                    qsizetype buffer_size = 10240) const;

    // Sets key=value in section. Giving a key the value it already has changes nothing, however
    // its line is spaced; another value rewrites the key's line in place, keeping the name's
    // spelling; a missing key goes after the last key line of its section, a missing section at
    // the end.
    void write(QByteArrayView section, QByteArrayView key, QByteArrayView value);

    bool changed() const { return m_changed; }
    QByteArray text() const;

private:
    struct Line {
        QByteArrayView text; // without its line break
        QByteArrayView line_break;
    };
    struct KeyPlace;

    KeyPlace find(QByteArrayView section, QByteArrayView key) const;
    QByteArrayView keep(QByteArray bytes);

    QByteArray m_original;
    std::deque<QByteArray> m_written; // the bytes of every line written since; never changed once kept
    std::vector<Line> m_lines;
    bool m_changed = false;
};
