// SPDX-License-Identifier: GPL-3.0-or-later
// The session parameter text of QTTSSessionBegin: any bytes parse or fail; what parses is in
// range and names a voice that has a profile.

#include "synthesis_settings.h"
#include "voice_profiles.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    speech::SynthesisSettings settings;
    if (speech::parse_synthesis_settings(text, settings) != speech::SettingsError::None)
        return 0;
    speech::VoiceProfile profile;
    const bool sane = settings.speed >= 0 && settings.speed <= 100 && settings.volume >= 0 && settings.volume <= 100
                      && (settings.sample_rate == 8000 || settings.sample_rate == 16000) && settings.level >= 0
                      && settings.level <= 10 && speech::voice_profile(settings.voice_id, profile);
    if (!sane)
        std::abort();
    const int rate = speech::speech_rate(profile, settings.speed);
    if (rate < 80 || rate > 450)
        std::abort();
    return 0;
}
