// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <functional>

class TtsEngine;

// One engine session from parameters and text to the complete audio, waiting on the calling
// thread: for programs without a window. The session is ended before returning.
// The text is GBK and is handed over in the encoding the parameters announce. No audio with
// error 0 is a text with nothing to speak.
struct BlockingResult {
    int error = 0; // 0, the engine's error code, or one of the codes below
    QByteArray audio;
};

inline constexpr int kTimedOut = -2;        // no audio came in time
inline constexpr int kUnrepresentable = -3; // the announced encoding cannot represent the text
inline constexpr int kAbandoned = -4;       // the audio callback asked to stop

// With on_audio, each piece of audio goes there as it arrives instead of into the result;
// on_audio returns false to stop the synthesis (the result's error is then kAbandoned).
using AudioHandler = std::function<bool(QByteArrayView audio)>;
BlockingResult synthesize_blocking(TtsEngine &engine, const QByteArray &params, const QByteArray &text,
                                   int no_audio_timeout_ms, const AudioHandler &on_audio = {});
