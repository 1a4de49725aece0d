// SPDX-License-Identifier: GPL-3.0-or-later
#include "synthesis_settings.h"

#include "key_value_list.h"
#include "voices/speed_scale.h"
#include "voices/voice_table.h"

#include <array>
#include <optional>

namespace speech {
namespace {

template <typename T> struct Word {
    std::string_view text;
    T value;
};

template <typename T, std::size_t N> std::optional<T> lookup(const std::array<Word<T>, N> &words, std::string_view text)
{
    for (const auto &word : words) {
        if (word.text == text)
            return word.value;
    }
    return std::nullopt;
}

// The five words sit on the 0..100 scale at even steps so words and numbers mix freely.
std::optional<int> parse_scale(std::string_view text, const std::array<Word<int>, 5> &words)
{
    if (const auto word = lookup(words, text))
        return word;
    if (const auto number = parse_decimal(text, 100))
        return static_cast<int>(*number);
    return std::nullopt;
}

std::optional<int> parse_speed(std::string_view text)
{
    if (const int speed = voices::speed_of_word(text); speed >= 0)
        return speed;
    if (const auto number = parse_decimal(text, 100))
        return static_cast<int>(*number);
    return std::nullopt;
}

constexpr std::array<Word<int>, 5> volume_words{
    {{"x-soft", 0}, {"soft", 25}, {"medium", 50}, {"loud", 75}, {"x-loud", 100}}};
constexpr std::array<Word<TextType>, 2> text_types{{{"text", TextType::Plain}, {"ssml", TextType::Ssml}}};
constexpr std::array<Word<TextEncoding>, 7> text_encodings{{
    {"AUTO", TextEncoding::Auto},
    {"GB2312", TextEncoding::Gb2312},
    {"GBK", TextEncoding::Gbk},
    {"BIG5", TextEncoding::Big5},
    {"UNICODE", TextEncoding::Unicode},
    {"GB18030", TextEncoding::Gb18030},
    {"UTF8", TextEncoding::Utf8},
}};
constexpr std::array<Word<AudioEncoding>, 7> audio_encodings{{
    {"raw", AudioEncoding::Raw},
    {"amr", AudioEncoding::Amr},
    {"amr-fx", AudioEncoding::AmrFx},
    {"amr-wb", AudioEncoding::AmrWb},
    {"amr-wb-fx", AudioEncoding::AmrWbFx},
    {"speex", AudioEncoding::Speex},
    {"speex-wb", AudioEncoding::SpeexWb},
}};
// The program takes the audio's rate from the same text (src/platform/pcm_format.h), as it
// cannot include the engine: a format added here names its rate as "rate=N".
constexpr std::array<Word<int>, 2> audio_formats{{{"audio/L16;rate=8000", 8000}, {"audio/L16;rate=16000", 16000}}};

// "speex;7": the encoding, then an optional ";level" within its family's range.
bool parse_audio_encoding(std::string_view text, SynthesisSettings &settings)
{
    const std::size_t semicolon = text.find(';');
    const auto encoding = lookup(audio_encodings, text.substr(0, semicolon));
    if (!encoding)
        return false;
    settings.audio_encoding = *encoding;
    if (*encoding == AudioEncoding::Raw) {
        settings.level = 0;
        return semicolon == std::string_view::npos;
    }
    const bool speex = uses_speex(*encoding);
    if (semicolon == std::string_view::npos) {
        settings.level = speex ? 7 : 5;
        return true;
    }
    const auto level = parse_decimal(text.substr(semicolon + 1), speex ? 10 : 7);
    if (!level)
        return false;
    settings.level = static_cast<int>(*level);
    return true;
}

} // namespace

bool uses_speex(AudioEncoding encoding)
{
    return encoding == AudioEncoding::Speex || encoding == AudioEncoding::SpeexWb;
}

SettingsError parse_synthesis_settings(std::string_view text, SynthesisSettings &settings)
{
    const auto pairs = split_key_values(text);
    constexpr std::array keys{"ssm", "vcn", "spd", "vol", "ttp", "tte", "bgs", "aue", "auf", "rdn"};
    if (!pairs || pairs->size() != keys.size())
        return SettingsError::Malformed;
    for (const char *key : keys) {
        if (!find_value(*pairs, key))
            return SettingsError::Malformed;
    }

    SynthesisSettings parsed;
    const auto value = [&pairs](const char *key) { return *find_value(*pairs, key); };
    const auto ssm = parse_decimal(value("ssm"), 1);
    const auto speed = parse_speed(value("spd"));
    const auto volume = parse_scale(value("vol"), volume_words);
    const auto text_type = lookup(text_types, value("ttp"));
    const auto encoding = lookup(text_encodings, value("tte"));
    const auto background = parse_decimal(value("bgs"), 1);
    const auto rate = lookup(audio_formats, value("auf"));
    const auto reading = parse_decimal(value("rdn"), 3);
    if (!ssm || !speed || !volume || !text_type || !encoding || !background || !rate || !reading
        || !parse_audio_encoding(value("aue"), parsed))
        return SettingsError::Malformed;

    parsed.speed = *speed;
    parsed.volume = *volume;
    parsed.text_type = *text_type;
    parsed.text_encoding = *encoding;
    parsed.background = *background == 1;
    parsed.sample_rate = *rate;
    parsed.number_reading = static_cast<NumberReading>(*reading);

    // The voice is checked last so a malformed text is reported as such whatever vcn holds.
    const std::string voice_id(value("vcn"));
    if (voices::find_voice(voice_id.c_str()) == nullptr)
        return SettingsError::UnknownVoice;
    parsed.voice_id = voice_id;
    settings = parsed;
    return SettingsError::None;
}

} // namespace speech
