// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech_plan.h"

#include "chinese_reading.h"
#include "dialect_tones.h"
#include "script_runs.h"
#include "ssml_rewriter.h"
#include "user_readings_file.h"
#include "utf8.h"

#include <algorithm>

namespace speech {
namespace {

// espeak-ng reads Chinese characters one by one from a short list of its own; the pinyin voice
// is given the syllables the text front end decided instead.
bool speaks_pinyin(const std::string &voice)
{
    return voice.rfind("cmn-latn-pinyin", 0) == 0;
}

} // namespace

ReadingAccent reading_accent(const VoiceProfile &profile)
{
    return profile.dialect == Dialect::Taiwan ? ReadingAccent::Taiwan : ReadingAccent::Standard;
}

std::vector<SpeechSegment> plan_speech(std::u32string_view text, const VoiceProfile &profile, TextType type,
                                       NumberReading reading)
{
    std::vector<SpeechSegment> segments;
    if (text.find_first_not_of(U" \t\r\n") == std::u32string_view::npos)
        return segments;
    if (type == TextType::Ssml) {
        segments.push_back({profile.espeak_voice, rewrite_ssml(text, profile, reading), true});
        return segments;
    }
    const NumberLanguage language =
        profile.family == ScriptFamily::Han ? NumberLanguage::Chinese : NumberLanguage::Other;
    const std::u32string normalised = normalise_numbers(text, reading, language);
    std::shared_ptr<const UserReadings> user;
    for (const ScriptRun &run : split_script_runs(normalised, profile.family)) {
        if (run.text.find_first_not_of(U" \t\r\n") == std::u32string::npos)
            continue;
        const std::string &voice = run.foreign ? profile.foreign_voice : profile.espeak_voice;
        if (!speaks_pinyin(voice) || std::none_of(run.text.begin(), run.text.end(), is_han)) {
            segments.push_back({voice, u32_to_utf8(run.text), false});
            continue;
        }
        if (!user)
            user = current_user_readings();
        const std::vector<ReadingItem> items = read_chinese(run.text, user.get(), reading_accent(profile));
        const auto tones = run.foreign ? std::nullopt : dialect_tones(profile.dialect);
        if (tones)
            segments.push_back({voice, dialect_speech_ssml(items, *tones, voice), true});
        else
            segments.push_back({voice, pinyin_speech_text(items), false});
    }
    return segments;
}

} // namespace speech
