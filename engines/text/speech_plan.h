// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Turns a decoded text into the pieces espeak-ng is asked to speak, each with its voice.

#include "chinese_reading.h"
#include "number_normaliser.h"
#include "synthesis_settings.h"
#include "voice_profiles.h"

#include <string>
#include <string_view>
#include <vector>

namespace speech {

struct SpeechSegment {
    std::string voice; // espeak-ng voice name with variant
    std::string text;  // UTF-8
    bool ssml = false;
};

// How the voice's Mandarin is read (台普 has its own accent).
ReadingAccent reading_accent(const VoiceProfile &profile);

// Plain text: numbers normalised, then one segment per script run (blank runs dropped); Chinese
// for the Mandarin voices becomes tone-numbered pinyin (see read_chinese), with the user's
// readings over the dictionary.
// SSML: one segment holding the rewritten document (see rewrite_ssml).
std::vector<SpeechSegment> plan_speech(std::u32string_view text, const VoiceProfile &profile, TextType type,
                                       NumberReading reading);

} // namespace speech
