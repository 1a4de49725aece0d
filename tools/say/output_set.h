// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/pcm_format.h"
#include "audio/audio_sink.h"
#include "audio/encoded_stream.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

// The file a job writes, cut into numbered parts at sentence ends when asked to, and the
// player: everything a job's audio goes to.
class OutputSet final : public AudioSink {
public:
    struct FileSpec {
        QString path; // empty: no file
        AudioFileKind kind = AudioFileKind::Wav;
        PcmFormat format;
        int quality = -1;
        qint64 part_bytes = 0; // > 0: a new part begins at the first sentence end past this much audio
    };

    explicit OutputSet(FileSpec file);

    void add(std::unique_ptr<AudioSink> sink) { m_others.push_back(std::move(sink)); }

    bool write(QByteArrayView pcm) override;
    bool sentence_end() override;
    bool finish() override;

    // "book.mp3", part 3 → "book-003.mp3".
    static QString part_name(const QString &path, int part);

private:
    bool open_part();
    bool check(AudioSink &sink, bool ok);

    FileSpec m_spec;
    std::unique_ptr<AudioSink> m_part;
    std::vector<std::unique_ptr<AudioSink>> m_done_parts; // complete, renamed at finish
    std::vector<std::unique_ptr<AudioSink>> m_others;
    int m_part_count = 0;
    qint64 m_part_audio = 0;
};
