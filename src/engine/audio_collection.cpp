#include "engine/audio_collection.h"

#include "engine/tts_engine.h"

#include <QElapsedTimer>

CollectOutcome collect_audio(TtsEngine &engine, const QByteArray &session, int no_audio_timeout_ms, QByteArray &audio,
                             const std::function<bool(bool got_audio)> &between, int *error)
{
    QElapsedTimer since_audio;
    since_audio.start();
    int status = 0;
    while (status != kSynthDone) {
        unsigned int length = 0;
        int code = 0;
        const void *chunk = engine.api("QTTSAudioGet").audio_get(session.constData(), &length, &status, &code);
        if (code != 0) {
            if (error != nullptr)
                *error = code;
            return CollectOutcome::EngineError;
        }
        const bool got_audio = chunk != nullptr && length != 0;
        if (got_audio) {
            audio.append(static_cast<const char *>(chunk), length);
            since_audio.restart();
        } else if (status != kSynthDone && since_audio.elapsed() > no_audio_timeout_ms) {
            return CollectOutcome::TimedOut;
        }
        // The last pass too: a handler run here may still abandon the result.
        if ((got_audio || status != kSynthDone) && !between(got_audio))
            return CollectOutcome::Abandoned;
    }
    return CollectOutcome::Done;
}
