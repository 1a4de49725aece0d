// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace gbk {
namespace {

constexpr unsigned char kLeadMin = 0x80;

bool is_lead(char c)
{
    return static_cast<unsigned char>(c) >= kLeadMin;
}

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

QByteArray encode(const QString &text)
{
    // A fresh encoder per call: encoders carry state and are not thread-safe.
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

QString decode(QByteArrayView bytes)
{
    QStringDecoder decoder("GB18030");
    return decoder.decode(bytes);
}

qsizetype char_length(QByteArrayView bytes, qsizetype pos)
{
    const qsizetype n = bytes.size();
    if (pos < 0 || pos >= n)
        return 0;
    if (!is_lead(bytes[pos]) || pos + 1 >= n)
        return 1;
    // GB18030 four-byte form: lead, digit, lead, digit.
    if (is_digit(bytes[pos + 1]) && pos + 3 < n && is_lead(bytes[pos + 2]) && is_digit(bytes[pos + 3]))
        return 4;
    return 2;
}

QByteArray remove_spaces(QByteArrayView bytes)
{
    QByteArray out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        const qsizetype len = char_length(bytes, i);
        const bool half = len == 1 && bytes[i] == ' ';
        const bool full = len == 2 && static_cast<unsigned char>(bytes[i]) == 0xA1
                          && static_cast<unsigned char>(bytes[i + 1]) == 0xA1;
        if (!half && !full)
            out.append(bytes.sliced(i, len));
        i += len;
    }
    return out;
}

QByteArray cut(QByteArrayView bytes, qsizetype limit)
{
    if (limit <= 0)
        return {};
    if (bytes.size() <= limit)
        return bytes.toByteArray();
    qsizetype end = 0;
    while (end < bytes.size()) {
        const qsizetype len = char_length(bytes, end);
        if (end + len > limit)
            break;
        end += len;
    }
    return bytes.first(end).toByteArray();
}

qsizetype find(QByteArrayView bytes, QByteArrayView needle, qsizetype from)
{
    if (needle.isEmpty())
        return -1;
    for (qsizetype i = qMax<qsizetype>(from, 0); i + needle.size() <= bytes.size();) {
        if (bytes.sliced(i, needle.size()) == needle)
            return i;
        i += char_length(bytes, i);
    }
    return -1;
}

QByteArray replace_all(QByteArrayView bytes, QByteArrayView from, QByteArrayView to)
{
    QByteArray out;
    out.reserve(bytes.size());
    qsizetype done = 0;
    for (qsizetype at = find(bytes, from, 0); at >= 0; at = find(bytes, from, done)) {
        out.append(bytes.sliced(done, at - done));
        out.append(to);
        done = at + from.size();
    }
    out.append(bytes.sliced(done));
    return out;
}

qsizetype text_length(QByteArrayView bytes)
{
    for (qsizetype i = 0; i < bytes.size();) {
        const char c = bytes[i];
        if (c == '\0' || c == '\x1A')
            return i;
        if (is_lead(c)) {
            if (i + 1 < bytes.size() && bytes[i + 1] == '\0')
                return i;
            i += 2;
        } else {
            ++i;
        }
    }
    return bytes.size();
}

} // namespace gbk
