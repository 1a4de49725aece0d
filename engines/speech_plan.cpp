#include "speech_plan.h"

#include "script_runs.h"
#include "ssml_rewriter.h"
#include "utf8.h"

namespace speech {

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
    for (const ScriptRun &run : split_script_runs(normalised, profile.family)) {
        if (run.text.find_first_not_of(U" \t\r\n") == std::u32string::npos)
            continue;
        segments.push_back({run.foreign ? profile.foreign_voice : profile.espeak_voice, u32_to_utf8(run.text), false});
    }
    return segments;
}

} // namespace speech
