// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The session parameter text of QTTSSessionBegin.

#include "number_normaliser.h"
#include "text_decoder.h"

#include <string>
#include <string_view>

namespace speech {

enum class TextType { Plain, Ssml };

enum class AudioEncoding { Raw, Amr, AmrFx, AmrWb, AmrWbFx, Speex, SpeexWb };

struct SynthesisSettings {
    std::string voice_id;
    int speed = 50;  // 0..100, x-slow = 0, medium = 50, x-fast = 100
    int volume = 50; // 0..100, x-soft = 0, medium = 50, x-loud = 100
    TextType text_type = TextType::Plain;
    TextEncoding text_encoding = TextEncoding::Gb18030;
    bool background = false;
    AudioEncoding audio_encoding = AudioEncoding::Raw;
    int level = 0; // compression level, meaningful for the amr and speex families
    int sample_rate = 16000;
    NumberReading number_reading = NumberReading::ValuesFirst;
};

enum class SettingsError { None, Malformed, UnknownVoice };

// Parses the ten keys (ssm vcn spd vol ttp tte bgs aue auf rdn, each once, any order, no
// others). On success fills settings; UnknownVoice when only vcn names no catalogue voice.
SettingsError parse_synthesis_settings(std::string_view text, SynthesisSettings &settings);

// True for the encodings that pass through the codec library.
bool uses_speex(AudioEncoding encoding);

} // namespace speech
