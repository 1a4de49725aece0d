// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One text to speak, as the worker thread receives it.

#include "audio_pipeline.h"
#include "audio_stream.h"
#include "speech_plan.h"

#include <memory>
#include <vector>

namespace speech {

struct SpeechJob {
    std::vector<SpeechSegment> segments;
    int rate = 175; // espeak-ng words per minute
    int pitch = 50;
    int range = 50;
    PipelineSettings pipeline;
    const CodecLibrary *codec = nullptr; // needed when pipeline.codec_rate is set
    std::shared_ptr<AudioStream> stream;
};

} // namespace speech
