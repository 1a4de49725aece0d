// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Keeps loud settings from clipping: the gain drops at once when a sample would pass the
// ceiling and recovers over tens of milliseconds, so only the peaks are touched.

#include <cstddef>

namespace speech {

class PeakLimiter final {
public:
    explicit PeakLimiter(int sample_rate, float ceiling = 0.93f);

    // Multiplies by gain, then limits; samples are full scale at 1.0.
    void process(float *samples, std::size_t count, float gain);

private:
    float m_ceiling;
    float m_release;
    float m_gain = 1.0f;
};

} // namespace speech
