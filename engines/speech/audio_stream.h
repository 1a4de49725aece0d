// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The audio of one synthesis on its way from the worker thread to QTTSAudioGet.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <vector>

namespace speech {

using Clock = std::chrono::steady_clock;

class AudioStream final {
public:
    // wake_samples: how much audio makes it worth waking a waiting caller (its chunk size).
    explicit AudioStream(Clock::time_point created, std::size_t wake_samples = 1);

    // Worker side.
    void append(const short *samples, std::size_t count, Clock::time_point now);
    void mark_progress(Clock::time_point now);
    // Appends the last samples and marks the end in one step, so the caller gets the end with
    // the last piece. error 0: the synthesis is complete.
    void finish(int error, const short *samples = nullptr, std::size_t count = 0);
    bool cancelled() const { return m_cancelled.load(std::memory_order_relaxed); }

    // Caller side.
    void cancel();

    struct Poll {
        std::size_t samples = 0; // moved into the chunk
        bool last = false;       // nothing more will come
        int error = 0;
    };
    // Moves up to max_samples into chunk. A stream that is neither finished nor has had any
    // progress since max(last own progress, worker_heartbeat) for longer than timeout fails
    // with the time-out error and is cancelled.
    Poll poll(std::vector<short> &chunk, std::size_t max_samples, Clock::time_point now, Clock::duration timeout,
              Clock::time_point worker_heartbeat);

    // Blocks until audio or the end arrives, or for at most wait.
    void wait_for_audio(Clock::duration wait);

private:
    void store(const short *samples, std::size_t count);

    mutable std::mutex m_mutex;
    std::condition_variable m_ready;
    std::vector<short> m_samples;
    std::size_t m_read = 0;
    std::size_t m_wake_samples;
    int m_waiters = 0;
    bool m_woken_once = false;
    bool m_finished = false;
    int m_error = 0;
    Clock::time_point m_last_progress;
    std::atomic<bool> m_cancelled{false};
};

} // namespace speech
