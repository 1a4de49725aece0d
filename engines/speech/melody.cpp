// SPDX-License-Identifier: GPL-3.0-or-later
#include "melody.h"

#include <array>
#include <cmath>
#include <numbers>

namespace speech {
namespace {

// A-minor pentatonic (the yu mode: A C D E G) in MIDI note numbers; 0 is a rest. Two phrases
// of four bars: the first climbs and settles, the second answers from above.
constexpr std::array<int, 32> tune{
    57, 60, 62, 64, /**/ 62, 60, 57, 55, /**/ 57, 60, 64, 67, /**/ 64, 62, 60, 62,
    67, 64, 62, 64, /**/ 60, 62, 57, 60, /**/ 62, 0,  64, 62, /**/ 60, 57, 60, 0,
};
// One bass note per bar, two octaves down.
constexpr std::array<int, 8> bass{45, 43, 45, 48, 48, 45, 43, 45};

constexpr double slot_seconds = 0.42;
constexpr double fade_in_seconds = 0.25;
constexpr double tail_seconds = 0.8;
constexpr double melody_level = 0.05;
constexpr double bass_level = 0.025;

double frequency(int midi)
{
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

// A plucked tone: quick attack, exponential decay, a short release before the next note.
double pluck(int midi, double t, double length, double decay)
{
    if (midi == 0 || t < 0.0 || t >= length)
        return 0.0;
    const double attack = std::fmin(t / 0.015, 1.0);
    const double release = std::fmin((length - t) / 0.03, 1.0);
    const double envelope = attack * release * std::exp(-t / decay);
    const double phase = 2.0 * std::numbers::pi * frequency(midi) * t;
    return envelope * (std::sin(phase) + 0.3 * std::sin(2.0 * phase) + 0.1 * std::sin(3.0 * phase));
}

} // namespace

BackgroundMelody::BackgroundMelody(int sample_rate)
    : m_rate(sample_rate)
{
}

float BackgroundMelody::sample_at(std::size_t n) const
{
    const double t = static_cast<double>(n) / m_rate;
    const auto slot = static_cast<std::size_t>(t / slot_seconds);
    const double in_slot = t - static_cast<double>(slot) * slot_seconds;
    const std::size_t bar = slot / 4;
    const double in_bar = t - static_cast<double>(bar * 4) * slot_seconds;
    const double value = melody_level * pluck(tune[slot % tune.size()], in_slot, slot_seconds, 0.35)
                         + bass_level * pluck(bass[bar % bass.size()], in_bar, 4 * slot_seconds, 1.2);
    const double fade_in = std::fmin(t / fade_in_seconds, 1.0);
    return static_cast<float>(value * fade_in);
}

void BackgroundMelody::mix_into(float *samples, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        samples[i] += sample_at(m_position++);
}

std::size_t BackgroundMelody::tail_samples() const
{
    return static_cast<std::size_t>(tail_seconds * m_rate);
}

void BackgroundMelody::mix_tail(float *samples, std::size_t count)
{
    const double length = static_cast<double>(tail_samples());
    for (std::size_t i = 0; i < count; ++i) {
        const double fade = 1.0 - static_cast<double>(i) / length;
        samples[i] += static_cast<float>(sample_at(m_position++) * (fade > 0.0 ? fade : 0.0));
    }
}

} // namespace speech
