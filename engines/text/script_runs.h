// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Splits a text into runs for the voice's own script and runs for the other one, so each run
// can be read by a voice of its language.

#include "voice_profiles.h"

#include <string>
#include <string_view>
#include <vector>

namespace speech {

struct ScriptRun {
    bool foreign = false; // read by the profile's foreign voice
    std::u32string text;
};

// For ScriptFamily::Han the foreign runs are Latin words (with the digits, apostrophes, hyphens
// and spaces between them); for ScriptFamily::Other they are runs of Chinese characters.
// Punctuation and spaces join the run they follow (the first run when they lead). Adjacent runs
// always differ in `foreign`; concatenating the runs gives the text back.
std::vector<ScriptRun> split_script_runs(std::u32string_view text, ScriptFamily family);

bool is_han(char32_t c);

// The text without the characters of scripts none of the voices speaks, so espeak-ng never
// switches to a language of its own choosing (the dictionaries of some, Malayalam among them,
// crash espeak-ng 1.51). Kept are Han, Latin, Cyrillic and Devanagari letters, the Arabic script
// for a voice that reads it (the others would switch to Arabic), combining marks, digits,
// punctuation and common symbols, and white space.
std::u32string keep_spoken_scripts(std::u32string_view text, const VoiceProfile &profile);

} // namespace speech
