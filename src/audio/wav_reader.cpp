// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/wav_reader.h"

#include <QtEndian>
#include <algorithm>

namespace {

constexpr qsizetype kMinimumSize = 36;
constexpr qsizetype kFirstChunk = 12;
constexpr qsizetype kChunkHeader = 8;

quint32 size_at(const QByteArray &bytes, qsizetype offset)
{
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

} // namespace

std::optional<WavParts> read_wav_parts(const QByteArray &wav)
{
    if (wav.size() < kMinimumSize || !wav.startsWith("RIFF") || QByteArrayView(wav).sliced(8, 4) != "WAVE")
        return std::nullopt;

    // The walk covers as many bytes after the form type as the RIFF size claims, and never
    // more than the bytes present.
    const qint64 claimed_end = kFirstChunk + static_cast<qint64>(size_at(wav, 4));
    const qint64 end = std::min<qint64>(claimed_end, wav.size());
    std::optional<QByteArrayView> format;
    std::optional<QByteArrayView> data;
    qint64 at = kFirstChunk;
    while ((!format || !data) && at + kChunkHeader <= end) {
        const QByteArrayView id = QByteArrayView(wav).sliced(at, 4);
        const qint64 size = size_at(wav, at + 4);
        const qint64 payload = at + kChunkHeader;
        const qint64 present = std::min<qint64>(size, wav.size() - payload);
        const QByteArrayView body = QByteArrayView(wav).sliced(payload, present);
        if (id == "fmt " && !format)
            format = body;
        else if (id == "data" && !data)
            data = body;
        // Chunks of odd size are followed by a pad byte.
        at = payload + size + (size & 1);
    }
    if (!format || !data || data->isEmpty())
        return std::nullopt;
    return WavParts{*format, *data};
}
