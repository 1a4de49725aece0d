// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// The selection of each option list when a synthesis starts: positions (-1 for none) and the
// item texts the session parameter text carries (GBK; empty for a list without selection).
struct SynthesisOptions {
    int engine_type = -1;
    int voice = -1;
    int speed = -1;
    int volume = -1;
    int background = -1;
    int numbers = -1;
    int text_encoding = -1;
    int text_type = -1;
    int audio_format = -1;
    int audio_encoding = -1;
    int compression = -1;

    QByteArray voice_id;
    QByteArray text_encoding_text;
    QByteArray audio_encoding_text;
    QByteArray compression_text;
    QByteArray audio_format_text;
};

// The parameter text a synthesis session begins with. Speed, volume and text type send a
// fixed word for their position, background and number reading send the position itself,
// and the encodings, level and format send their item text.
class SessionParams final {
public:
    SessionParams() = delete;

    // ssm, vcn, spd, vol, ttp, tte, bgs, aue, auf, rdn in this order, comma-separated, no
    // spaces. A word-mapped list without selection gives an empty value.
    static QByteArray build(const SynthesisOptions &options);

    // The words sent for a position of the speed, volume and text type lists; empty outside.
    static QByteArray speed_word(int position);
    static QByteArray volume_word(int position);
    static QByteArray text_type_word(int position);
};
