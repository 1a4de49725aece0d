// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/audio_sink.h"
#include "audio/checked_sound_file.h"
#include "audio/pending_file.h"

#include <QString>
#include <optional>

// Compressed audio files through libsndfile: MP3, Ogg Vorbis, Opus (in Ogg) and FLAC.
enum class AudioFileKind { Wav, Mp3, Vorbis, Opus, Flac };

// The kind an output name asks for by its extension (any letter case); nothing for an unknown one.
std::optional<AudioFileKind> audio_file_kind(const QString &path);

class EncodedStream final : public AudioSink {
public:
    // quality: 0 (smallest) to 10 (best); -1 for the kind's speech default. Durable flushes
    // the new file to disk before it replaces the target.
    EncodedStream(const QString &target, AudioFileKind kind, quint32 sample_rate, int quality,
                  FileSync sync = FileSync::Unflushed);
    ~EncodedStream() override;

    bool write(QByteArrayView pcm) override;
    bool finish() override;

private:
    PendingFile m_pending;
    QString m_target;
    CheckedSoundFile m_io;
    SNDFILE *m_file = nullptr;
    QByteArray m_odd; // a byte of a sample whose other byte has not come yet
};
