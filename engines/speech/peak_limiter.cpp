// SPDX-License-Identifier: GPL-3.0-or-later
#include "peak_limiter.h"

#include <cmath>

namespace speech {

PeakLimiter::PeakLimiter(int sample_rate, float ceiling)
    : m_ceiling(ceiling)
    , m_release(1.0f - std::exp(-1.0f / (0.08f * static_cast<float>(sample_rate))))
{
}

void PeakLimiter::process(float *samples, std::size_t count, float gain)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (m_gain == 1.0f && std::fabs(samples[i] * gain) <= m_ceiling) {
            samples[i] *= gain; // the common case: fully recovered and below the ceiling
            continue;
        }
        const float value = samples[i] * gain;
        const float magnitude = std::fabs(value);
        m_gain += (1.0f - m_gain) * m_release;
        if (m_gain > 0.9999f)
            m_gain = 1.0f;
        if (magnitude * m_gain > m_ceiling)
            m_gain = m_ceiling / magnitude;
        samples[i] = value * m_gain;
    }
}

} // namespace speech
