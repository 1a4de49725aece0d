// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/text_file.h"

#include "platform/gbk.h"
#include "platform/regular_file.h"

#include <QStringDecoder>

namespace {

// Enough past the limit for the character that crosses it to be read whole.
constexpr qsizetype kReadAhead = 8;

// A read that stopped inside the file may end inside a character: that piece is held back
// rather than taken as an error.
QStringConverter::Flags decoding(bool whole_file)
{
    return whole_file ? QStringConverter::Flag::Stateless : QStringConverter::Flag::Default;
}

QString decode(QByteArrayView bytes, QStringConverter::Encoding encoding, bool whole_file)
{
    QStringDecoder decoder(encoding, decoding(whole_file));
    return decoder.decode(bytes);
}

bool has_non_ascii(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    }
    return false;
}

// The file's text when it is a Unicode file, nothing when it is to be taken as GBK.
std::optional<QString> unicode_text(QByteArrayView bytes, bool whole_file)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decode(bytes.sliced(3), QStringConverter::Utf8, whole_file);
    if (bytes.startsWith("\xFF\xFE"))
        return decode(bytes.sliced(2), QStringConverter::Utf16LE, whole_file);
    if (bytes.startsWith("\xFE\xFF"))
        return decode(bytes.sliced(2), QStringConverter::Utf16BE, whole_file);
    if (!has_non_ascii(bytes))
        return std::nullopt; // ASCII reads the same either way
    QStringDecoder utf8(QStringConverter::Utf8, decoding(whole_file));
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return std::nullopt;
    return text;
}

} // namespace

std::optional<QByteArray> read_text_file(const QString &path, qsizetype limit)
{
    QFile file;
    if (!open_regular_file(file, path))
        return std::nullopt;
    // UTF-16 takes the most bytes for a GBK byte: two, for ASCII and for a line feed.
    const qsizetype wanted = 2 * (limit + kReadAhead) + 2;
    const QByteArray raw = file.read(wanted);
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    const bool whole_file = raw.size() < wanted || file.atEnd();
    const std::optional<QString> unicode = unicode_text(raw, whole_file);
    QByteArray bytes = unicode ? gbk::encode(*unicode) : raw;
    // 0D and 0A are never part of a double-byte character, so this byte-wise pass is safe.
    bytes.replace("\r\n", "\n");
    bytes.replace("\n", "\r\n");
    bytes.truncate(gbk::text_length(bytes));
    return bytes;
}
