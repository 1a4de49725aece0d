// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio_pipeline.h"

#include <cmath>

namespace speech {
namespace {

short to_pcm(float value)
{
    const float scaled = value * 32767.0f;
    const float clamped = scaled > 32767.0f ? 32767.0f : scaled < -32768.0f ? -32768.0f : scaled;
    // Half away from zero, in a form the compiler turns into vector code (std::lrint is a
    // library call on every sample).
    return static_cast<short>(clamped + std::copysign(0.5f, clamped));
}

} // namespace

float volume_gain(int volume)
{
    const float decibels = -12.0f + 16.0f * static_cast<float>(volume) / 100.0f;
    return std::pow(10.0f, decibels / 20.0f);
}

AudioPipeline::AudioPipeline(const PipelineSettings &settings, const CodecLibrary *codec)
    : m_settings(settings)
    , m_work_rate(settings.codec_rate != 0 ? settings.codec_rate : settings.output_rate)
    , m_to_work(settings.input_rate, m_work_rate)
    , m_limiter(m_work_rate)
{
    if (settings.background)
        m_melody.emplace(m_work_rate);
    if (settings.codec_rate != 0 && codec != nullptr) {
        m_codec = std::make_unique<CodecStream>(*codec, settings.codec_rate, settings.codec_quality);
        if (settings.codec_rate != settings.output_rate)
            m_to_output = std::make_unique<Resampler>(settings.codec_rate, settings.output_rate);
    }
}

bool AudioPipeline::valid() const
{
    if (!m_to_work.valid())
        return false;
    if (m_settings.codec_rate == 0)
        return true;
    return m_codec != nullptr && m_codec->valid() && (m_to_output == nullptr || m_to_output->valid());
}

void AudioPipeline::convert_out(const std::vector<float> &samples, std::vector<short> &out)
{
    const std::size_t start = out.size();
    out.resize(start + samples.size());
    short *target = out.data() + start;
    for (std::size_t i = 0; i < samples.size(); ++i)
        target[i] = to_pcm(samples[i]);
}

// Volume and limiter at the working rate, then the codec and the final rate.
bool AudioPipeline::deliver(std::vector<float> &work, bool last, std::vector<short> &out)
{
    m_limiter.process(work.data(), work.size(), m_settings.gain);
    if (m_codec == nullptr) {
        convert_out(work, out);
        return true;
    }
    m_coded.clear();
    for (float value : work)
        m_coded.push_back(to_pcm(value));
    m_decoded.clear();
    if (!m_codec->process(m_coded.data(), m_coded.size(), m_decoded) || (last && !m_codec->finish(m_decoded)))
        return false;
    if (m_to_output == nullptr) {
        out.insert(out.end(), m_decoded.begin(), m_decoded.end());
        return true;
    }
    m_decoded_float.resize(m_decoded.size());
    for (std::size_t i = 0; i < m_decoded.size(); ++i)
        m_decoded_float[i] = static_cast<float>(m_decoded[i]) / 32768.0f;
    m_resampled.clear();
    m_to_output->process(m_decoded_float.data(), m_decoded_float.size(), m_resampled);
    if (last)
        m_to_output->flush(m_resampled);
    convert_out(m_resampled, out);
    return true;
}

bool AudioPipeline::process(const short *in, std::size_t count, std::vector<short> &out)
{
    m_input.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        m_input[i] = static_cast<float>(in[i]) / 32768.0f;
    m_work.clear();
    m_to_work.process(m_input.data(), count, m_work);
    if (m_melody)
        m_melody->mix_into(m_work.data(), m_work.size());
    return deliver(m_work, false, out);
}

bool AudioPipeline::finish(std::vector<short> &out)
{
    m_work.clear();
    m_to_work.flush(m_work);
    if (m_melody) {
        // The melody fades out after the last word instead of stopping mid-note.
        const std::size_t speech_end = m_work.size();
        m_melody->mix_into(m_work.data(), speech_end);
        m_work.resize(speech_end + m_melody->tail_samples(), 0.0f);
        m_melody->mix_tail(m_work.data() + speech_end, m_work.size() - speech_end);
    }
    return deliver(m_work, true, out);
}

} // namespace speech
