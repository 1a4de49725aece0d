// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// GBK byte strings: the form of every text that crosses a byte limit, the settings file, an
// imported file or the engine. Bytes are written as GB18030, which equals GBK for every GBK
// character and keeps characters outside GBK (as 4-byte sequences) instead of losing them.
//
// Scanning steps over a multi-byte character as a unit: a byte from 0x80 upwards starts a
// double-byte character (a GB18030 four-byte character is two such units).

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace gbk {

QByteArray encode(const QString &text);
QString decode(QByteArrayView bytes);

// Length in bytes of the character starting at pos (1, 2 or 4; a lead byte at the very end counts 1).
qsizetype char_length(QByteArrayView bytes, qsizetype pos);

// Removes half-width spaces (20) and full-width spaces (A1 A1); other characters stay whole.
QByteArray remove_spaces(QByteArrayView bytes);

// At most limit bytes; a character that would be cut in half is dropped whole.
QByteArray cut(QByteArrayView bytes, qsizetype limit);

// First position >= from where needle starts on a character boundary, or -1. from must
// itself be a character boundary (0, or the end of an earlier match).
qsizetype find(QByteArrayView bytes, QByteArrayView needle, qsizetype from = 0);

// Every occurrence of from, left to right, replaced by to; matches only on character boundaries.
QByteArray replace_all(QByteArrayView bytes, QByteArrayView from, QByteArrayView to);

// Length of the text up to its end marker: the first 00 or 1A byte that is not the second
// byte of a double-byte character; a double-byte character whose second byte is 00 ends the
// text before that character. The whole length when there is none.
qsizetype text_length(QByteArrayView bytes);

} // namespace gbk
