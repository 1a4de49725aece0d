// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/audio_sink.h"

#include <QByteArray>
#include <QQueue>
#include <condition_variable>
#include <mutex>
#include <thread>

// Passes audio on to another sink from a thread of its own, so a slow encoder (MP3 costs
// about as much as the speech itself) runs beside the reading of the workers' answers instead
// of holding it up. At most a few seconds of audio wait in between. A failure of the inner
// sink shows at the next call.
class BackgroundSink final : public AudioSink {
public:
    explicit BackgroundSink(AudioSink &inner);
    BackgroundSink(const BackgroundSink &) = delete;
    BackgroundSink &operator=(const BackgroundSink &) = delete;
    // Without finish() the thread stops with what it has and the inner sink is not finished.
    ~BackgroundSink() override;

    bool write(QByteArrayView pcm) override;
    bool sentence_end() override;
    bool finish() override;

private:
    struct Block {
        QByteArray pcm; // empty: a sentence end
    };
    bool enqueue(Block block);
    void pass_on();
    void stop();

    AudioSink &m_inner;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    QQueue<Block> m_blocks;
    qsizetype m_bytes = 0;
    bool m_closing = false;
    bool m_failed = false;
    std::thread m_thread;
};
