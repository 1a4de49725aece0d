// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/pcm_audio.h"
#include "platform/pcm_format.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

// The WAV container, written here only (nothing in the program reads one back): a fixed 44-byte
// header in front of the engine's audio bytes. The header declares the linear PCM the engine
// delivered whatever audio encoding was chosen: the engine delivers PCM for every encoding, and
// nothing here decodes the audio.
class WavFile final {
public:
    WavFile() = delete;

    static constexpr qsizetype kHeaderSize = 44;

    // The header of a file whose audio is data_bytes long.
    static QByteArray header(const PcmFormat &format, quint32 data_bytes);

    // The header followed by a copy of the audio; odd lengths are kept, with no pad byte.
    static QByteArray wrap(const PcmAudio &audio);
};
