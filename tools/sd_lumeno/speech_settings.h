// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/pcm_format.h"

#include <QByteArray>
#include <QByteArrayView>

// What Speech Dispatcher sets with SET, and how it reaches the engine: rate and volume
// (-100..100) onto the session's continuous speed and volume (0..100), pitch as SSML prosody
// around the text, the voice from synthesis voice, language and voice type.
class SpeechSettings final {
public:
    // Takes one name=value line of a SET block. False for an unknown name or a value out of
    // range; the setting then keeps its value. "NULL" leaves a text setting unset.
    bool apply(QByteArrayView line);

    // The engine's session parameter text for the current settings.
    QByteArray session_params() const;
    QByteArray voice() const;

    int rate() const { return m_rate; }
    int pitch() const { return m_pitch; }
    int volume() const { return m_volume; }
    bool spelling() const { return m_spelling; }
    bool capitals_spelled() const { return m_capitals == "spell"; }
    const QByteArray &punctuation() const { return m_punctuation; }

    // -100..100 onto the engine's 0..100 (0 is the voice's own speed or level, 50).
    static int engine_scale(int value) { return (value + 100) / 2; }

    // The audio every session asks the engine for (and so what it hands on).
    static constexpr PcmFormat kAudioFormat{16000, 1, 16};

private:
    int m_rate = 0;
    int m_pitch = 0;
    int m_volume = 0;
    bool m_spelling = false;
    QByteArray m_capitals = "none";
    QByteArray m_punctuation = "none";
    QByteArray m_type = "female1";
    QByteArray m_language = "zh";
    QByteArray m_synthesis_voice;
};
