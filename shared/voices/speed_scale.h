// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The engine's speed scale, shared with the program so that lumeno-say can tell how long
// speech runs: speeds 0..100 with the session's five words at even steps, medium (50) the
// voice's own speed, every 50 away from it halving or doubling that.

#include <array>
#include <string_view>

namespace voices {

struct SpeedWord {
    std::string_view word;
    int speed;
};

inline constexpr std::array<SpeedWord, 5> kSpeedWords{
    {{"x-slow", 0}, {"slow", 25}, {"medium", 50}, {"fast", 75}, {"x-fast", 100}}};

// The speed a word stands for, or -1 when it is none of the five.
int speed_of_word(std::string_view word);

// How many times the voice's own speed a speed 0..100 speaks at: 0.5 at 0, 1 at 50, 2 at 100.
double speed_factor(int speed);

} // namespace voices
