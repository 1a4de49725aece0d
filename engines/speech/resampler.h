// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A streaming sample-rate converter (libsoxr), mono float.

#include <cstddef>
#include <vector>

struct soxr;

namespace speech {

class Resampler final {
public:
    Resampler(double input_rate, double output_rate);
    ~Resampler();
    Resampler(const Resampler &) = delete;
    Resampler &operator=(const Resampler &) = delete;

    bool valid() const { return m_soxr != nullptr || m_passthrough; }

    // Appends the converted samples to out.
    void process(const float *in, std::size_t count, std::vector<float> &out);
    // Appends what the filter still holds; the converter is done afterwards.
    void flush(std::vector<float> &out);

private:
    soxr *m_soxr = nullptr;
    double m_ratio;
    bool m_passthrough;
};

} // namespace speech
