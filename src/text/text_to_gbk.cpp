// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/text_to_gbk.h"

#include "platform/gbk.h"

#include <utility>

namespace {

// Non-ASCII bytes looked at before the encoding of a stream is decided.
constexpr qsizetype kDecideAfter = 4096;

bool has_non_ascii(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    }
    return false;
}

qsizetype first_non_ascii(QByteArrayView bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (static_cast<unsigned char>(bytes[i]) >= 0x80)
            return i;
    }
    return -1;
}

bool starts_with_bom(QByteArrayView bytes)
{
    return bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
}

bool is_valid_utf8(QByteArrayView bytes, bool complete)
{
    // A stateful decoder holds back a last character cut short instead of calling it an error.
    QStringDecoder probe(QStringDecoder::Utf8,
                         complete ? QStringConverter::Flag::Stateless : QStringConverter::Flag::Default);
    // decode() converts only when its result is taken.
    const QString probed = probe.decode(bytes);
    return !probe.hasError();
}

QStringDecoder decoder_for(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        return QStringDecoder(QStringDecoder::Utf8);
    case TextEncoding::Utf16LE:
        return QStringDecoder(QStringDecoder::Utf16LE);
    case TextEncoding::Utf16BE:
        return QStringDecoder(QStringDecoder::Utf16BE);
    case TextEncoding::Gbk:
        break;
    }
    return QStringDecoder("GB18030");
}

} // namespace

DetectedEncoding detect_text_encoding(QByteArrayView head, bool complete)
{
    if (head.startsWith("\xEF\xBB\xBF"))
        return {TextEncoding::Utf8, 3};
    if (head.startsWith("\xFF\xFE"))
        return {TextEncoding::Utf16LE, 2};
    if (head.startsWith("\xFE\xFF"))
        return {TextEncoding::Utf16BE, 2};
    if (has_non_ascii(head) && is_valid_utf8(head, complete))
        return {TextEncoding::Utf8, 0};
    return {TextEncoding::Gbk, 0};
}

bool is_text_control(char16_t c)
{
    return c < 0x20 && c != u'\t' && c != u'\n' && c != u'\v' && c != u'\f' && c != u'\r';
}

qsizetype gbk_text_length(QByteArrayView bytes)
{
    const qsizetype marked = gbk::text_length(bytes);
    for (qsizetype i = 0; i < marked; i += gbk::char_length(bytes, i)) {
        if (is_text_control(static_cast<unsigned char>(bytes[i])))
            return i;
    }
    return marked;
}

TextToGbk::TextToGbk(Encoding forced)
    : m_encoding(forced)
{
    if (forced == Encoding::Gbk)
        m_decoder = decoder_for(TextEncoding::Gbk);
}

bool TextToGbk::append_text(const QString &decoded, QByteArray &out)
{
    // A UTF-16 read may end between the two halves of a surrogate pair, which the decoder
    // passes on as they come: the first half waits for the second.
    QString text = std::exchange(m_high_surrogate, {}) + decoded;
    if (!text.isEmpty() && text.back().isHighSurrogate()) {
        m_high_surrogate = text.back();
        text.chop(1);
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (is_text_control(text[i].unicode())) {
            out += gbk::encode(text.first(i));
            return false;
        }
    }
    out += gbk::encode(text);
    return true;
}

bool TextToGbk::decide(bool at_end)
{
    if (!starts_with_bom(m_held) && m_held.size() < kDecideAfter && !at_end)
        return false;
    const DetectedEncoding detected = detect_text_encoding(m_held, at_end);
    switch (detected.encoding) {
    case TextEncoding::Utf8:
        m_encoding = Encoding::Utf8;
        break;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        m_encoding = Encoding::Utf16;
        break;
    case TextEncoding::Gbk:
        m_encoding = Encoding::Gbk;
        break;
    }
    m_decoder = decoder_for(detected.encoding);
    m_held.remove(0, detected.bom_size);
    return true;
}

bool TextToGbk::decode_held(QByteArray &out)
{
    const QByteArray held = std::exchange(m_held, {});
    return append_text(m_decoder.decode(held), out);
}

bool TextToGbk::feed(QByteArrayView bytes, QByteArray &out)
{
    if (m_encoding != Encoding::Undecided)
        return append_text(m_decoder.decode(bytes), out);
    m_held.append(bytes.data(), bytes.size());
    if (m_held.size() < 3)
        return true; // perhaps the start of a byte order mark
    if (!starts_with_bom(m_held)) {
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

bool TextToGbk::finish(QByteArray &out)
{
    if (m_encoding == Encoding::Undecided && !m_held.isEmpty()) {
        decide(true);
        return decode_held(out);
    }
    // An incomplete last character (a lone first half of a surrogate pair too) is dropped.
    return true;
}
