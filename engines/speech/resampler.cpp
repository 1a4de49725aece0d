// SPDX-License-Identifier: GPL-3.0-or-later
#include "resampler.h"

#include <soxr.h>

namespace speech {

Resampler::Resampler(double input_rate, double output_rate)
    : m_ratio(output_rate / input_rate)
    , m_passthrough(input_rate == output_rate)
{
    if (m_passthrough)
        return;
    soxr_error_t error = nullptr;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    // The audio ends as 16-bit samples, so 16-bit precision is all that can be heard; the
    // passband is the same as soxr's high quality (20-bit), at about half its work.
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_16_BITQ, 0);
    m_soxr = soxr_create(input_rate, output_rate, 1, &error, &io, &quality, nullptr);
    if (error != nullptr)
        m_soxr = nullptr;
}

Resampler::~Resampler()
{
    if (m_soxr != nullptr)
        soxr_delete(m_soxr);
}

void Resampler::process(const float *in, std::size_t count, std::vector<float> &out)
{
    if (m_passthrough) {
        out.insert(out.end(), in, in + count);
        return;
    }
    if (m_soxr == nullptr || count == 0)
        return;
    std::size_t consumed_total = 0;
    while (consumed_total < count) {
        const std::size_t room = static_cast<std::size_t>(static_cast<double>(count) * m_ratio) + 64;
        const std::size_t start = out.size();
        out.resize(start + room);
        std::size_t consumed = 0;
        std::size_t produced = 0;
        soxr_process(m_soxr, in + consumed_total, count - consumed_total, &consumed, out.data() + start, room,
                     &produced);
        out.resize(start + produced);
        consumed_total += consumed;
        if (consumed == 0 && produced == 0)
            break;
    }
}

void Resampler::flush(std::vector<float> &out)
{
    if (m_soxr == nullptr)
        return;
    while (true) {
        constexpr std::size_t room = 1024;
        const std::size_t start = out.size();
        out.resize(start + room);
        std::size_t produced = 0;
        soxr_process(m_soxr, nullptr, 0, nullptr, out.data() + start, room, &produced);
        out.resize(start + produced);
        if (produced == 0)
            break;
    }
}

} // namespace speech
