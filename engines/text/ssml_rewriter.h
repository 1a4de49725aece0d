// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Prepares an SSML document for espeak-ng.

#include "number_normaliser.h"
#include "voice_profiles.h"

#include <string>
#include <string_view>

namespace speech {

// Markup is copied; in every text node the numbers are normalised and each script run is
// wrapped in <voice name="…"> with the profile's own or foreign voice. Wrapping every run
// matters: after a </voice> espeak-ng 1.51 falls back to the language's default voice (plain
// cmn), which reads Chinese as English-spoken pinyin. Text is re-escaped, so a stray '<' or '&'
// cannot break the document. Returns UTF-8.
std::string rewrite_ssml(std::u32string_view document, const VoiceProfile &profile, NumberReading reading);

} // namespace speech
