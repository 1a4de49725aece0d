// SPDX-License-Identifier: GPL-3.0-or-later
#include "say/text_decoder.h"

#include "platform/gbk.h"

namespace {

// Non-ASCII bytes looked at before the encoding is decided.
constexpr qsizetype kDecideAfter = 4096;

bool is_control(char16_t c)
{
    return c < 0x20 && c != u'\t' && c != u'\n' && c != u'\v' && c != u'\f' && c != u'\r';
}

qsizetype first_non_ascii(QByteArrayView bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (static_cast<unsigned char>(bytes[i]) >= 0x80)
            return i;
    }
    return -1;
}

} // namespace

TextDecoder::TextDecoder(Encoding forced)
    : m_encoding(forced)
{
    if (forced == Encoding::Gbk)
        m_decoder = QStringDecoder("GB18030");
}

bool TextDecoder::append_text(const QString &decoded, QByteArray &out)
{
    // A UTF-16 read may end between the two halves of a surrogate pair, which the decoder
    // passes on as they come: the first half waits for the second.
    QString text = std::exchange(m_high_surrogate, {}) + decoded;
    if (!text.isEmpty() && text.back().isHighSurrogate()) {
        m_high_surrogate = text.back();
        text.chop(1);
    }
    for (QChar c : text) {
        if (is_control(c.unicode()))
            return false;
    }
    out += gbk::encode(text);
    return true;
}

bool TextDecoder::decide(bool at_end)
{
    const bool le = m_held.startsWith("\xFF\xFE");
    if (le || m_held.startsWith("\xFE\xFF")) {
        m_encoding = Encoding::Utf16;
        m_decoder = QStringDecoder(le ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        m_held.remove(0, 2);
        return true;
    }
    if (m_held.startsWith("\xEF\xBB\xBF")) {
        m_encoding = Encoding::Utf8;
        m_held.remove(0, 3);
    } else {
        if (m_held.size() < kDecideAfter && !at_end)
            return false;
        QStringDecoder probe(QStringDecoder::Utf8);
        // decode() converts only when its result is taken.
        const QString probed = probe.decode(m_held);
        // An incomplete last character does not count against UTF-8: a pipe may cut one.
        m_encoding = probe.hasError() ? Encoding::Gbk : Encoding::Utf8;
    }
    m_decoder = m_encoding == Encoding::Gbk ? QStringDecoder("GB18030") : QStringDecoder(QStringDecoder::Utf8);
    return true;
}

bool TextDecoder::decode_held(QByteArray &out)
{
    const QByteArray held = std::exchange(m_held, {});
    return append_text(m_decoder.decode(held), out);
}

bool TextDecoder::feed(QByteArrayView bytes, QByteArray &out)
{
    if (m_encoding != Encoding::Undecided)
        return append_text(m_decoder.decode(bytes), out);
    m_held.append(bytes.data(), bytes.size());
    if (m_held.size() < 3)
        return true; // perhaps the start of a byte order mark
    const bool marked =
        m_held.startsWith("\xEF\xBB\xBF") || m_held.startsWith("\xFF\xFE") || m_held.startsWith("\xFE\xFF");
    if (!marked) {
        // Plain ASCII reads the same either way: it need not wait for the decision.
        const qsizetype first = first_non_ascii(m_held);
        const qsizetype plain = first < 0 ? m_held.size() : first;
        if (!append_text(QString::fromLatin1(m_held.first(plain)), out))
            return false;
        m_held.remove(0, plain);
        if (m_held.isEmpty())
            return true;
    }
    return !decide(false) || decode_held(out);
}

bool TextDecoder::finish(QByteArray &out)
{
    if (m_encoding == Encoding::Undecided && !m_held.isEmpty()) {
        decide(true);
        return decode_held(out);
    }
    // An incomplete last character (a lone first half of a surrogate pair too) is dropped.
    return true;
}
