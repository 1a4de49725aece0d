// SPDX-License-Identifier: GPL-3.0-or-later
#include "reading_preview.h"

#include "chinese_reading.h"
#include "number_normaliser.h"
#include "qtts.h"
#include "speech_plan.h"
#include "synthesis_settings.h"
#include "text_decoder.h"
#include "user_readings_file.h"
#include "voice_profiles.h"

namespace speech {

int text_reading(const char *params, std::string_view text, std::string &reading)
{
    SynthesisSettings settings;
    switch (parse_synthesis_settings(params, settings)) {
    case SettingsError::Malformed:
        return QTTS_ERROR_INVALID_PARAMS;
    case SettingsError::UnknownVoice:
        return QTTS_ERROR_UNKNOWN_VOICE;
    case SettingsError::None:
        break;
    }
    VoiceProfile profile;
    voice_profile(settings.voice_id, profile);
    const std::u32string decoded = decode_text(text, settings.text_encoding);
    const std::u32string normalised = normalise_numbers(decoded, settings.number_reading, NumberLanguage::Chinese);
    const std::shared_ptr<const UserReadings> user = current_user_readings();
    reading = reading_text(read_chinese(normalised, user.get(), reading_accent(profile)));
    return QTTS_SUCCESS;
}

} // namespace speech
