// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Shared inside the sound output: the format block reader and the base every backend builds on.
// Not for use outside src/platform.

#include "platform/sound_output.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

struct SoundFormat {
    enum class Encoding { Unsigned8, Signed16, Signed24, Signed32, Float32 };
    Encoding encoding = Encoding::Signed16;
    unsigned channels = 1;
    unsigned rate = 16000;
    unsigned frame_bytes = 2;
};

// Reads the payload of a WAV "fmt " chunk; nothing when it is short or not playable PCM.
std::optional<SoundFormat> parse_sound_format(const void *block, std::size_t size);

// Every backend has one thread that owns the device, plays the queue and runs the callbacks.
// Callers talk to it through this base: written blocks go into an inbox, and pause, reset and
// close are requests that the caller waits for, so a reset has handed back every block by the
// time it returns and no callback can run after close.
struct SoundOutput {
    using Clock = std::chrono::steady_clock;

    struct Written {
        SoundBlock *block;
        Clock::time_point at;
    };

    // Requests, combined as bits.
    static constexpr unsigned kPause = 1;
    static constexpr unsigned kReset = 2;
    static constexpr unsigned kClose = 4;

    SoundOutput(const SoundFormat &format, SoundBlockDone on_done, void *instance);
    SoundOutput(const SoundOutput &) = delete;
    SoundOutput &operator=(const SoundOutput &) = delete;
    virtual ~SoundOutput() = default;

    virtual SoundResult write(SoundBlock *block);
    SoundResult pause();
    SoundResult reset();
    // Hands back what is queued and stops the thread; the caller deletes the output afterwards.
    void shut_down();

    const SoundFormat &format() const { return m_format; }

protected:
    struct Taken {
        unsigned requests = 0;
        std::uint64_t ticket = 0;
    };

    // Thread side: moves the inbox onto the end of queue and takes the pending requests.
    Taken take(std::deque<Written> &queue);
    // Thread side: the requests of ticket are done; wakes their callers.
    void finish(const Taken &taken);
    // Thread side: blocks until something was written or requested, or until deadline.
    void wait_for_work(std::optional<Clock::time_point> deadline);
    void hand_back(SoundBlock *block);

    // Wakes the thread wherever it waits. The default suits wait_for_work.
    virtual void wake();
    void start_thread();

private:
    virtual void run() = 0;
    SoundResult request(unsigned what);

    SoundFormat m_format;
    SoundBlockDone m_on_done;
    void *m_instance;

    std::mutex m_mutex;
    std::condition_variable m_work;
    std::condition_variable m_done;
    std::deque<Written> m_inbox;
    unsigned m_requests = 0;
    std::uint64_t m_requested = 0;
    std::uint64_t m_finished = 0;
    std::thread m_thread;
};

namespace alsa_output {
SoundResult device_count(unsigned *count);
SoundResult open(const SoundFormat &format, SoundBlockDone on_done, void *instance, SoundOutput **output);
} // namespace alsa_output

namespace null_output {
SoundResult device_count(unsigned *count);
SoundResult open(const SoundFormat &format, SoundBlockDone on_done, void *instance, SoundOutput **output);
} // namespace null_output
