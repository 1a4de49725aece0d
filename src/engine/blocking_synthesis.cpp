#include "engine/blocking_synthesis.h"

#include "engine/tts_engine.h"

#include <QElapsedTimer>
#include <chrono>
#include <thread>

namespace {

constexpr auto kIdleWait = std::chrono::milliseconds(3);

} // namespace

BlockingResult synthesize_blocking(TtsEngine &engine, const QByteArray &params, const QByteArray &text,
                                   int no_audio_timeout_ms)
{
    BlockingResult result;
    int error = 0;
    const char *id = engine.api("QTTSSessionBegin").session_begin(params.constData(), &error);
    if (id == nullptr || error != 0) {
        result.error = error != 0 ? error : -1;
        return result;
    }
    const QByteArray session(id);
    result.error = engine.api("QTTSTextPut")
                       .text_put(session.constData(), text.constData(), static_cast<unsigned int>(text.size()), "");
    QElapsedTimer since_audio;
    since_audio.start();
    int status = 0;
    while (result.error == 0 && status != kSynthDone) {
        unsigned int length = 0;
        const void *chunk = engine.api("QTTSAudioGet").audio_get(session.constData(), &length, &status, &error);
        if (error != 0) {
            result.error = error;
        } else if (chunk != nullptr && length != 0) {
            result.audio.append(static_cast<const char *>(chunk), length);
            since_audio.restart();
        } else if (status != kSynthDone) {
            if (since_audio.elapsed() > no_audio_timeout_ms)
                result.error = kTimedOut;
            else
                std::this_thread::sleep_for(kIdleWait);
        }
    }
    engine.api("QTTSSessionEnd").session_end(session.constData(), "");
    return result;
}
