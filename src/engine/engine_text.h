// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

// The engine reads a text in the encoding its session announces with tte, so the GBK text of
// the box is converted to that encoding before it is handed over: UNICODE is UTF-16 LE, UTF8
// and BIG5 are themselves, and every other name (AUTO and the GB family) is read as GBK and
// gets the bytes as they are. Nothing when the text has a character the encoding cannot
// represent (simplified characters in BIG5): it must not reach the engine mangled.
std::optional<QByteArray> encode_for_engine(QByteArrayView gbk_text, QByteArrayView text_encoding);

// The tte value of a session parameter text; empty when it has none.
QByteArray announced_text_encoding(QByteArrayView params);

// Converted to any encoding, a GBK text takes at most this many times its size (UTF-16: two
// bytes for an ASCII character).
inline constexpr int kEngineTextGrowth = 2;
