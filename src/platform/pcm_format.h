// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

// Linear PCM as the engine delivers it: rate, channels and bits per sample. It is decided once,
// from the session's audio format, and handed on by value to whatever writes or plays the audio.
struct PcmFormat {
    quint32 rate = 16000;
    quint16 channels = 1;
    quint16 bits = 16;

    quint16 frame_bytes() const { return static_cast<quint16>(channels * bits / 8); }
    quint32 bytes_per_second() const { return rate * frame_bytes(); }

    // The 16-byte WAVE format block: the payload of a WAV file's "fmt " chunk, and what
    // sound_output_open takes.
    QByteArray format_block() const;

    // The engine's audio for a session audio format text such as "audio/L16;rate=8000": 16-bit
    // mono at the text's rate, 16000 when the text names none.
    static PcmFormat for_audio_format(QByteArrayView text);

    friend bool operator==(const PcmFormat &, const PcmFormat &) = default;
};
