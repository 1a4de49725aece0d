#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <functional>

class TtsEngine;

// One engine session from parameters and text to the complete audio, waiting on the calling
// thread: for programs without a window. The session is ended before returning.
struct BlockingResult {
    int error = 0; // 0, or the engine's error code (kTimedOut when no audio came in time)
    QByteArray audio;
};

inline constexpr int kTimedOut = -2;
inline constexpr int kAbandoned = -3;

// With on_audio, each piece of audio goes there as it arrives instead of into the result;
// on_audio returns false to stop the synthesis (the result's error is then kAbandoned).
using AudioHandler = std::function<bool(QByteArrayView audio)>;
BlockingResult synthesize_blocking(TtsEngine &engine, const QByteArray &params, const QByteArray &text,
                                   int no_audio_timeout_ms, const AudioHandler &on_audio = {});
