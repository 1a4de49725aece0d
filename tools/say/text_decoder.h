// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringDecoder>
#include <optional>

// Turns the bytes of a text file or of standard input into the engine's GBK, block by block.
// The encoding is told apart from the bytes: a UTF-8 or UTF-16 byte order mark; else the
// first stretch with non-ASCII bytes is UTF-8 when it is valid UTF-8, GBK otherwise (ASCII
// alone is the same in both). Text with NUL bytes or other control characters is not text.
class TextDecoder final {
public:
    enum class Encoding { Undecided, Utf8, Utf16, Gbk };

    // forced: the user named the encoding (--gbk).
    explicit TextDecoder(Encoding forced = Encoding::Undecided);

    // Appends the GBK of what can be decoded so far to out. False: the input is not text.
    bool feed(QByteArrayView bytes, QByteArray &out);
    // The input has ended: decodes what was held back.
    bool finish(QByteArray &out);

    Encoding encoding() const { return m_encoding; }

private:
    bool decide(bool at_end);
    bool append_text(const QString &decoded, QByteArray &out);
    bool decode_held(QByteArray &out);

    Encoding m_encoding;
    QStringDecoder m_decoder;
    QByteArray m_held;        // bytes waiting for the encoding to be decided
    QString m_high_surrogate; // the first half of a pair whose second has not come yet
};
