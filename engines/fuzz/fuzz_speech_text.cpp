// SPDX-License-Identifier: GPL-3.0-or-later
// From bytes to what espeak-ng is given: decoding in every encoding, then plain and SSML
// planning for a Chinese, a French and two dialect voices. Checks that the SSML handed on stays
// well-formed UTF-8 and that plain segments are never blank.

#include "speech_plan.h"
#include "text_decoder.h"
#include "utf8.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const auto encoding = static_cast<speech::TextEncoding>(data[0] % 7);
    const auto reading = static_cast<speech::NumberReading>((data[0] >> 3) % 4);
    const std::string_view bytes(reinterpret_cast<const char *>(data + 1), size - 1);
    const std::u32string text = speech::decode_text(bytes, encoding);

    for (const char *voice : {"xiaoyan", "Mariane", "vixr", "vixl"}) {
        speech::VoiceProfile profile;
        if (!speech::voice_profile(voice, profile))
            std::abort();
        for (const auto type : {speech::TextType::Plain, speech::TextType::Ssml}) {
            for (const speech::SpeechSegment &segment : speech::plan_speech(text, profile, type, reading)) {
                if (!speech::is_valid_utf8(segment.text) || segment.voice.empty())
                    std::abort();
                if (!segment.ssml && segment.text.find_first_not_of(" \t\r\n") == std::string::npos)
                    std::abort();
            }
        }
    }
    return 0;
}
