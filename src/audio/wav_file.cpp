// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/wav_file.h"

#include <QtEndian>

namespace {

constexpr quint32 kFormatChunkSize = 16;
// RIFF size counts everything after its own field except the audio.
constexpr quint32 kRiffOverhead = WavFile::kHeaderSize - 8;

template <typename T> QByteArray little_endian(T value)
{
    QByteArray bytes(sizeof(T), Qt::Uninitialized);
    qToLittleEndian(value, bytes.data());
    return bytes;
}

} // namespace

QByteArray WavFile::header(const PcmFormat &format, quint32 data_bytes)
{
    QByteArray wav;
    wav.reserve(kHeaderSize);
    wav += "RIFF" + little_endian<quint32>(data_bytes + kRiffOverhead);
    wav += "WAVEfmt " + little_endian<quint32>(kFormatChunkSize) + format.format_block();
    wav += "data" + little_endian<quint32>(data_bytes);
    return wav;
}

QByteArray WavFile::wrap(const PcmAudio &audio)
{
    QByteArray wav = header(audio.format, static_cast<quint32>(audio.bytes.size()));
    wav.append(audio.bytes);
    return wav;
}
