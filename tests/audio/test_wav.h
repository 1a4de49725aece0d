// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// WAV images for the audio tests, well-formed or deliberately broken.

#include <QByteArray>
#include <QtEndian>
#include <optional>

namespace test_wav {

inline QByteArray le32(quint32 value)
{
    QByteArray out(4, '\0');
    qToLittleEndian(value, out.data());
    return out;
}

inline QByteArray le16(quint16 value)
{
    QByteArray out(2, '\0');
    qToLittleEndian(value, out.data());
    return out;
}

// Bytes that differ from one position to the next, so misplaced or repeated pieces show.
inline QByteArray pattern(qsizetype size, int seed = 0)
{
    QByteArray out(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        out[i] = static_cast<char>((i * 7 + i / 251 + seed) % 256);
    return out;
}

inline QByteArray format_block(quint32 rate, quint16 channels = 1, quint16 bits = 16, quint16 tag = 1)
{
    const quint16 align = static_cast<quint16>(channels * bits / 8);
    return le16(tag) + le16(channels) + le32(rate) + le32(rate * align) + le16(align) + le16(bits);
}

// A chunk; declared_size overrides the true payload size in its header.
inline QByteArray chunk(const char *id, const QByteArray &payload, std::optional<quint32> declared_size = {})
{
    return QByteArray(id, 4) + le32(declared_size.value_or(static_cast<quint32>(payload.size()))) + payload;
}

// RIFF/WAVE around the given chunks; the RIFF size is exact unless overridden.
inline QByteArray riff(const QByteArray &chunks, std::optional<quint32> declared_size = {})
{
    return QByteArray("RIFF") + le32(declared_size.value_or(static_cast<quint32>(chunks.size() + 4))) + "WAVE" + chunks;
}

inline QByteArray wav(const QByteArray &audio, quint32 rate, quint16 channels = 1)
{
    return riff(chunk("fmt ", format_block(rate, channels)) + chunk("data", audio));
}

} // namespace test_wav
