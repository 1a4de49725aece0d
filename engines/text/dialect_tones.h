// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The tones of the Mandarin dialect voices. espeak-ng speaks only Mandarin's tone contours, so
// each Mandarin tone category is said with the contour nearest to the dialect's own value,
// shifted up or down by a pitch change on that syllable.

#include "chinese_reading.h"
#include "voice_profiles.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace speech {

struct DialectTone {
    int contour = 1; // the Mandarin tone espeak-ng draws: 1 high level, 2 rising, 3 low, 4 falling, 5 neutral
    int pitch = 0;   // percent above (below) the voice's pitch
};

// Indexed by Mandarin tone 1..5 (element 0 unused); nullopt for voices with Mandarin's tones.
std::optional<std::array<DialectTone, 6>> dialect_tones(Dialect dialect);

// An SSML document for espeak-ng saying the syllables with the dialect's tones in `voice`.
std::string dialect_speech_ssml(const std::vector<ReadingItem> &items, const std::array<DialectTone, 6> &tones,
                                const std::string &voice);

} // namespace speech
