// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/session_params.h"

#include <array>
#include <cstddef>

namespace {

constexpr std::array kSpeedWords{"x-slow", "slow", "medium", "fast", "x-fast"};
constexpr std::array kVolumeWords{"x-soft", "soft", "medium", "loud", "x-loud"};
constexpr std::array kTextTypeWords{"text", "ssml"};

template <std::size_t N> QByteArray word_at(const std::array<const char *, N> &words, int position)
{
    if (position < 0 || static_cast<std::size_t>(position) >= N)
        return {};
    return QByteArray(words[static_cast<std::size_t>(position)]);
}

} // namespace

QByteArray SessionParams::build(const SynthesisOptions &options)
{
    QByteArray encoding = options.audio_encoding_text;
    // The suffix follows the position, not the text: only the first encoding (raw) goes
    // without a level, even when the level list shows one.
    if (options.audio_encoding != 0)
        encoding += ';' + options.compression_text;

    QByteArray text;
    text.reserve(160);
    text += "ssm=1";
    text += ",vcn=" + options.voice_id;
    text += ",spd=" + speed_word(options.speed);
    text += ",vol=" + volume_word(options.volume);
    text += ",ttp=" + text_type_word(options.text_type);
    text += ",tte=" + options.text_encoding_text;
    text += ",bgs=" + QByteArray::number(options.background);
    text += ",aue=" + encoding;
    text += ",auf=" + options.audio_format_text;
    text += ",rdn=" + QByteArray::number(options.numbers);
    return text;
}

QByteArray SessionParams::speed_word(int position)
{
    return word_at(kSpeedWords, position);
}

QByteArray SessionParams::volume_word(int position)
{
    return word_at(kVolumeWords, position);
}

QByteArray SessionParams::text_type_word(int position)
{
    return word_at(kTextTypeWords, position);
}
