// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

// The WAV image of a synthesis: a fixed 44-byte header in front of the engine's audio bytes.
// The header always declares 16-bit mono linear PCM, whatever audio encoding was chosen: the
// engine delivers PCM for every encoding, and nothing here decodes the audio.
class WavBuilder final {
public:
    WavBuilder() = delete;

    static constexpr qsizetype kHeaderSize = 44;

    // The header followed by a copy of the audio; odd lengths are kept, with no pad byte.
    static QByteArray wrap(QByteArrayView audio, quint32 sample_rate);

    // The rate of the audio format list's position: 8000 for the first item, 16000 for any
    // other position, none (-1) included.
    static quint32 sample_rate_for_format(int format_position);
};
