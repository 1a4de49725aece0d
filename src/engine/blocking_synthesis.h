#pragma once

#include <QByteArray>

class TtsEngine;

// One engine session from parameters and text to the complete audio, waiting on the calling
// thread: for programs without a window. The session is ended before returning.
struct BlockingResult {
    int error = 0; // 0, or the engine's error code (kTimedOut when no audio came in time)
    QByteArray audio;
};

inline constexpr int kTimedOut = -2;

BlockingResult synthesize_blocking(TtsEngine &engine, const QByteArray &params, const QByteArray &text,
                                   int no_audio_timeout_ms);
