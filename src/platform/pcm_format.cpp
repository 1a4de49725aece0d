// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/pcm_format.h"

#include <QtEndian>

namespace {

constexpr quint16 kLinearPcm = 1;
constexpr qsizetype kFormatBlockSize = 16;

} // namespace

QByteArray PcmFormat::format_block() const
{
    QByteArray block(kFormatBlockSize, Qt::Uninitialized);
    char *at = block.data();
    qToLittleEndian<quint16>(kLinearPcm, at);
    qToLittleEndian<quint16>(channels, at + 2);
    qToLittleEndian<quint32>(rate, at + 4);
    qToLittleEndian<quint32>(bytes_per_second(), at + 8);
    qToLittleEndian<quint16>(frame_bytes(), at + 12);
    qToLittleEndian<quint16>(bits, at + 14);
    return block;
}

PcmFormat PcmFormat::for_audio_format(QByteArrayView text)
{
    PcmFormat format;
    constexpr QByteArrayView key = "rate=";
    const qsizetype at = text.indexOf(key);
    if (at < 0)
        return format;
    QByteArrayView digits = text.sliced(at + key.size());
    if (const qsizetype end = digits.indexOf(';'); end >= 0)
        digits = digits.first(end);
    bool ok = false;
    const uint rate = digits.toUInt(&ok);
    if (ok && rate > 0)
        format.rate = rate;
    return format;
}
