// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One open session: its settings and the synthesis it is running or has run.

#include "audio_stream.h"
#include "synthesis_settings.h"
#include "voice_profiles.h"

#include <memory>
#include <mutex>
#include <string>

namespace speech {

struct Session {
    std::string id;
    SynthesisSettings settings;
    VoiceProfile profile;

    // Guards the members below: calls for one session are serialised.
    std::mutex mutex;
    std::shared_ptr<AudioStream> stream; // null until the first text
    bool delivered = false;              // the stream's end has been reported to the caller
};

} // namespace speech
