// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Everything between espeak-ng's 22050 Hz output and the PCM handed to the caller: resampling,
// background melody, volume with peak limiting, and the speex round trip.

#include "codec_stream.h"
#include "melody.h"
#include "peak_limiter.h"
#include "resampler.h"

#include <memory>
#include <optional>
#include <vector>

namespace speech {

struct PipelineSettings {
    int input_rate = 22050;
    int output_rate = 16000;
    float gain = 1.0f;       // linear, applied to speech and melody together
    bool background = false; // mix the melody under the speech
    int codec_rate = 0;      // 8000 or 16000 to pass through the codec, 0 for none
    int codec_quality = 0;
};

// Linear gain of volume 0..100: -12 dB at 0, -4 dB at 50, +4 dB at 100.
float volume_gain(int volume);

class AudioPipeline final {
public:
    // codec may be null when settings.codec_rate is 0.
    AudioPipeline(const PipelineSettings &settings, const CodecLibrary *codec);

    bool valid() const;

    // Both append 16-bit output samples to out and return false when the codec fails.
    bool process(const short *in, std::size_t count, std::vector<short> &out);
    bool finish(std::vector<short> &out);

private:
    bool deliver(std::vector<float> &work, bool last, std::vector<short> &out);
    void convert_out(const std::vector<float> &samples, std::vector<short> &out);

    PipelineSettings m_settings;
    int m_work_rate;
    Resampler m_to_work;
    std::optional<BackgroundMelody> m_melody;
    PeakLimiter m_limiter;
    std::unique_ptr<CodecStream> m_codec;
    std::unique_ptr<Resampler> m_to_output; // from the codec's rate to the output rate
    std::vector<float> m_input;
    std::vector<float> m_work;
    std::vector<short> m_coded;
    std::vector<short> m_decoded;
    std::vector<float> m_decoded_float;
    std::vector<float> m_resampled;
};

} // namespace speech
