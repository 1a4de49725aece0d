// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The background melody of bgs=1: a short pentatonic tune of our own, made from plucked
// sine tones over a soft bass, looped for as long as the speech lasts.

#include <cstddef>

namespace speech {

class BackgroundMelody final {
public:
    explicit BackgroundMelody(int sample_rate);

    // Adds the next count samples of the melody to samples (full scale = 1.0).
    void mix_into(float *samples, std::size_t count);

    // How many samples the fade-out after the speech lasts.
    std::size_t tail_samples() const;

    // Adds the next samples of the fade-out; call once with tail_samples() samples.
    void mix_tail(float *samples, std::size_t count);

private:
    float sample_at(std::size_t n) const;

    int m_rate;
    std::size_t m_position = 0;
};

} // namespace speech
