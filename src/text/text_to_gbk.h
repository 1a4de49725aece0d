// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringDecoder>
#include <optional>

// The one rule by which a user's text (an imported file, a lumeno-say input or standard input)
// is told apart: a UTF-8 or UTF-16 (LE or BE) byte order mark; else the bytes are UTF-8 when
// they hold a non-ASCII byte and are valid UTF-8, GBK otherwise (ASCII alone reads the same in
// both). The engine's AUTO follows it as far as an engine can; engines/text/text_decoder.h says
// where it differs.
enum class TextEncoding { Utf8, Utf16LE, Utf16BE, Gbk };

struct DetectedEncoding {
    TextEncoding encoding;
    qsizetype bom_size; // bytes of byte order mark to skip
};

// The encoding of a text that starts with head. complete: head is the whole text, so a last
// character cut short makes it invalid UTF-8; otherwise the next read may complete it.
DetectedEncoding detect_text_encoding(QByteArrayView head, bool complete);

// A control character in a text: C0 other than tab, line feed, vertical tab, form feed and
// carriage return. Where a user's text has one, the text ends: the window keeps what came
// before it, lumeno-say refuses the input as not text.
bool is_text_control(char16_t c);

// Length of GBK text up to its first control character, or up to a double-byte character whose
// second byte is 00 (a C string ends there); the whole length when there is none.
qsizetype gbk_text_length(QByteArrayView bytes);

// Turns the bytes of a text file or of standard input into the engine's GBK, block by block,
// by the rule above.
class TextToGbk final {
public:
    enum class Encoding { Undecided, Utf8, Utf16, Gbk };

    // forced: the user named the encoding (--gbk).
    explicit TextToGbk(Encoding forced = Encoding::Undecided);

    // Appends the GBK of what can be decoded so far to out. False: the text has a control
    // character; out then ends before it.
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
