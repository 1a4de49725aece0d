// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How each voice of the catalogue is made with espeak-ng: language, variant, pitch and speed.
// Derived from the catalogue's descriptions, so every voice id there has a profile.

#include <string>
#include <string_view>

namespace speech {

// The script the voice's language is written in; text of the other script is read by a voice
// of the matching language (Latin words in Chinese by English, Chinese in other languages by
// Mandarin).
enum class ScriptFamily { Han, Other };

// The Mandarin dialect a voice speaks; None for standard Mandarin and other languages.
enum class Dialect { None, Taiwan, Sichuan, Northeast, Shaanxi, Henan, Hunan };

struct VoiceProfile {
    std::string espeak_voice;  // e.g. "cmn-latn-pinyin+f2"
    std::string foreign_voice; // the voice for the other script, same variant
    ScriptFamily family = ScriptFamily::Han;
    int pitch = 50;      // espeak-ng pitch 0..100
    int range = 50;      // espeak-ng pitch range 0..100
    int base_rate = 175; // words per minute at medium speed
    Dialect dialect = Dialect::None;
};

// The profile of a catalogue voice id; false when the id is not in the catalogue.
bool voice_profile(std::string_view voice_id, VoiceProfile &profile);

// espeak-ng's speed in words per minute for speed 0..100 (50 = base_rate, 0 half, 100 double).
int speech_rate(const VoiceProfile &profile, int speed);

} // namespace speech
