// SPDX-License-Identifier: GPL-3.0-or-later
// How quickly playback reacts, with the null sound output:
//   start: AudioPlayer::play called -> first block written to the output
//   stop:  AudioPlayer::stop_all called -> the output reset (the sound cut)
// Goal: both under 10 ms. Prints median, 95th percentile and worst of each.
//   player_latency [ROUNDS]

#include "audio/audio_player.h"
#include "platform/sound_output.h"
#include "platform/sound_output_null.h"

#include <QByteArray>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Ten seconds of 16 kHz 16-bit mono, as a synthesis run produces it.
PcmAudio ten_seconds()
{
    const PcmFormat format{16000};
    return PcmAudio{format, QByteArray(static_cast<qsizetype>(format.bytes_per_second()) * 10, '\x11')};
}

class Watch final {
public:
    void arm()
    {
        std::lock_guard lock(m_mutex);
        m_first_write.reset();
        m_reset.reset();
    }

    void note(const NullOutputEvent &event)
    {
        {
            std::lock_guard lock(m_mutex);
            if (event.kind == NullOutputEvent::Kind::Write && !m_first_write)
                m_first_write = event.at;
            if (event.kind == NullOutputEvent::Kind::Reset && !m_reset)
                m_reset = event.at;
        }
        m_changed.notify_all();
    }

    Clock::time_point first_write() { return wait_for(m_first_write); }
    Clock::time_point reset() { return wait_for(m_reset); }

private:
    Clock::time_point wait_for(std::optional<Clock::time_point> &slot)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return slot.has_value(); });
        return *slot;
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::optional<Clock::time_point> m_first_write;
    std::optional<Clock::time_point> m_reset;
};

void report(const char *name, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double q) { return ms[static_cast<std::size_t>(q * static_cast<double>(ms.size() - 1))]; };
    std::printf("%-6s median %.3f ms  p95 %.3f ms  worst %.3f ms  (goal < 10 ms)\n", name, at(0.5), at(0.95),
                ms.back());
}

} // namespace

int main(int argc, char **argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    sound_output_select(SoundBackend::Null);
    Watch watch;
    sound_output_null_observe([&](const NullOutputEvent &event) { watch.note(event); });
    const PcmAudio speech = ten_seconds();

    std::vector<double> start_ms;
    std::vector<double> stop_ms;
    for (int i = 0; i < rounds; ++i) {
        watch.arm();
        const auto play_called = Clock::now();
        AudioPlayer::play(speech);
        start_ms.push_back(std::chrono::duration<double, std::milli>(watch.first_write() - play_called).count());

        const auto stop_called = Clock::now();
        AudioPlayer::stop_all();
        stop_ms.push_back(std::chrono::duration<double, std::milli>(watch.reset() - stop_called).count());
        AudioPlayer::wait_idle(-1);
    }
    sound_output_null_observe({});
    std::printf("%d rounds, 10 s of 16 kHz audio each\n", rounds);
    report("start", start_ms);
    report("stop", stop_ms);
    return 0;
}
