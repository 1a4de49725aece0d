// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/audio_sink.h"
#include "audio/checked_sound_file.h"
#include "platform/pcm_format.h"
#include "platform/pending_file.h"

#include <QString>
#include <optional>

// Compressed audio files through libsndfile: MP3, Ogg Vorbis, Opus (in Ogg) and FLAC.
enum class AudioFileKind { Wav, Mp3, Vorbis, Opus, Flac };

// The kind an output name asks for by its extension (any letter case); nothing for an unknown one.
std::optional<AudioFileKind> audio_file_kind(const QString &path);

class EncodedStream final : public AudioSink {
public:
    // format: 16-bit linear PCM, any rate and channel count (anything else is refused).
    // quality: 0 (smallest) to 10 (best); -1 for the kind's speech default. Durable flushes
    // the new file to disk before it replaces the target.
    EncodedStream(const QString &target, AudioFileKind kind, const PcmFormat &format, int quality,
                  FileSync sync = FileSync::Unflushed);
    ~EncodedStream() override;

    bool write(QByteArrayView pcm) override;
    bool finish() override;

private:
    PendingFile m_pending;
    QString m_target;
    CheckedSoundFile m_io;
    SNDFILE *m_file = nullptr;
    int m_channels;
    QByteArray m_odd; // the bytes of a frame whose other bytes have not come yet
};
