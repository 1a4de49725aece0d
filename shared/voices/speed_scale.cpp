// SPDX-License-Identifier: GPL-3.0-or-later
#include "voices/speed_scale.h"

#include <cmath>

namespace voices {

int speed_of_word(std::string_view word)
{
    for (const SpeedWord &entry : kSpeedWords) {
        if (entry.word == word)
            return entry.speed;
    }
    return -1;
}

double speed_factor(int speed)
{
    return std::pow(2.0, (speed - 50) / 50.0);
}

} // namespace voices
