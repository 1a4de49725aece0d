// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/pcm_format.h"
#include "audio/audio_sink.h"

#include <QByteArray>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

struct SoundOutput;
struct SoundBlock;

// Plays the audio as it comes: every block goes to the sound output at once, so the first
// sound follows the first audio. At most a few seconds wait queued; write() blocks beyond that,
// which holds synthesis back to the pace of playing (and memory with it).
class PlayStream final : public AudioSink {
public:
    // stop_requested is polled while waiting, so an interrupt ends a wait at once.
    PlayStream(const PcmFormat &format, std::function<bool()> stop_requested);
    ~PlayStream() override;

    // False when no sound output can be opened; error() says why.
    bool open();

    bool write(QByteArrayView pcm) override;
    // Waits until everything written has been heard.
    bool finish() override;

    // Called when the first block was handed to the sound output (for measurements).
    std::function<void()> on_first_block;

private:
    static void block_done(SoundOutput *output, void *instance, SoundBlock *block);
    bool wait_until(const std::function<bool()> &ready);

    PcmFormat m_format;
    std::function<bool()> m_stop_requested;
    SoundOutput *m_output = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_returned;
    std::deque<std::unique_ptr<SoundBlock>> m_blocks; // queued, in order
    qint64 m_queued_bytes = 0;
    bool m_first = true;
};
