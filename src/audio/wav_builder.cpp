// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/wav_builder.h"

#include <QtEndian>

namespace {

constexpr quint32 kFormatChunkSize = 16;
// RIFF size counts everything after its own field except the audio.
constexpr quint32 kRiffOverhead = WavBuilder::kHeaderSize - 8;

template <typename T> QByteArray little_endian(T value)
{
    QByteArray bytes(sizeof(T), Qt::Uninitialized);
    qToLittleEndian(value, bytes.data());
    return bytes;
}

} // namespace

QByteArray WavBuilder::header(const PcmFormat &format, quint32 data_bytes)
{
    QByteArray wav;
    wav.reserve(kHeaderSize);
    wav += "RIFF" + little_endian<quint32>(data_bytes + kRiffOverhead);
    wav += "WAVEfmt " + little_endian<quint32>(kFormatChunkSize) + format.format_block();
    wav += "data" + little_endian<quint32>(data_bytes);
    return wav;
}

QByteArray WavBuilder::wrap(QByteArrayView audio, const PcmFormat &format)
{
    QByteArray wav = header(format, static_cast<quint32>(audio.size()));
    wav.append(audio.data(), audio.size());
    return wav;
}
