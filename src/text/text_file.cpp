// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/text_file.h"

#include "platform/gbk.h"
#include "platform/regular_file.h"
#include "text/text_to_gbk.h"

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

// The file's text when it is a Unicode file, nothing when it is to be taken as GBK.
std::optional<QString> unicode_text(QByteArrayView bytes, bool whole_file)
{
    const DetectedEncoding detected = detect_text_encoding(bytes, whole_file);
    QStringConverter::Encoding encoding = QStringConverter::Utf8;
    switch (detected.encoding) {
    case TextEncoding::Gbk:
        return std::nullopt; // kept as the file's own bytes
    case TextEncoding::Utf8:
        break;
    case TextEncoding::Utf16LE:
        encoding = QStringConverter::Utf16LE;
        break;
    case TextEncoding::Utf16BE:
        encoding = QStringConverter::Utf16BE;
        break;
    }
    QStringDecoder decoder(encoding, decoding(whole_file));
    return decoder.decode(bytes.sliced(detected.bom_size));
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
    bytes.truncate(gbk_text_length(bytes));
    return bytes;
}
