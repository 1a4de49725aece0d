// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one thread that calls espeak-ng. espeak-ng is not thread-safe, so every espeak call of
// the process happens here and jobs run one after the other in the order they were submitted.

#include "audio_stream.h"
#include "speech_job.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

namespace speech {

class SpeechWorker final {
public:
    SpeechWorker() = default;
    ~SpeechWorker();
    SpeechWorker(const SpeechWorker &) = delete;
    SpeechWorker &operator=(const SpeechWorker &) = delete;

    // Starts the thread, which starts espeak-ng; returns at once: 0, or QTTS_ERROR_SPEECH_ENGINE
    // when espeak-ng's data is missing. Should espeak-ng's start fail later all the same, every
    // job submitted ends with QTTS_ERROR_SPEECH_ENGINE (submit waits until the start is over).
    int start();
    // Waits until espeak-ng has started: 0 or QTTS_ERROR_SPEECH_ENGINE. Any thread, after start().
    int started() const;
    // Cancels the running job, drops the queued ones and joins the thread.
    void stop();

    void submit(std::shared_ptr<SpeechJob> job);

    // The last time the worker started a job or produced audio.
    Clock::time_point heartbeat() const;

    // Records progress now; called from the worker thread only.
    void beat();

    // espeak-ng's output rate, known once started() has returned 0.
    int input_rate() const { return m_input_rate; }

private:
    void run();
    void synthesise(SpeechJob &job);

    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::shared_ptr<SpeechJob>> m_queue;
    std::shared_future<int> m_started;
    bool m_stopping = false;
    std::atomic<bool> m_abort{false};
    std::atomic<Clock::rep> m_heartbeat{0};
    int m_input_rate = 0;
};

} // namespace speech
