#pragma once

#include <QByteArray>

class TtsEngine;

// One engine session from parameters and text to the complete audio, waiting on the calling
// thread: for programs without a window. The session is ended before returning.
// The text is GBK and is handed over in the encoding the parameters announce. No audio with
// error 0 is a text with nothing to speak.
struct BlockingResult {
    int error = 0; // 0, the engine's error code, or one of the two below
    QByteArray audio;
};

inline constexpr int kTimedOut = -2;        // no audio came in time
inline constexpr int kUnrepresentable = -3; // the announced encoding cannot represent the text

BlockingResult synthesize_blocking(TtsEngine &engine, const QByteArray &params, const QByteArray &text,
                                   int no_audio_timeout_ms);
