// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/pcm_audio.h"

// Background playback of speech held in memory. Every play starts an independent player
// with a feeding thread of its own; stop_all asks all of them to stop. Call play and stop_all
// from one thread (the window's); the waiting helpers may be called from anywhere.
class AudioPlayer final {
public:
    AudioPlayer() = delete;

    // Starts playing the audio (its bytes are shared, never changed) and returns at once.
    // False when there is nothing to play; then nothing plays. Without a sound device the player plays
    // nothing and ends by itself after the feeding watchdog (8888 ms); output_opened, when
    // given, tells the caller whether the sound will be heard.
    static bool play(const PcmAudio &audio, bool loop = false, bool *output_opened = nullptr);

    // Signals every live player to stop and returns without waiting; the sound is cut by the
    // output's reset as soon as each feeding thread wakes.
    static void stop_all();

    // Number of players not yet ended.
    static int live_count();

    // Waits until no player is live and all their threads have finished, at most timeout_ms
    // (negative: no limit). True when that happened. Call it before the process exits.
    static bool wait_idle(int timeout_ms);

    static constexpr int kBlockCount = 20;
    static constexpr int kBlockSize = 15360;
    static constexpr int kWatchdogMs = 8888;
};
