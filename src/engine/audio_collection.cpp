// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/audio_collection.h"

#include "engine/tts_engine.h"

#include <QElapsedTimer>

CollectOutcome collect_audio(TtsEngine &engine, int no_audio_timeout_ms, QByteArray &audio,
                             const std::function<bool(bool got_audio)> &between, int *error)
{
    QElapsedTimer since_audio;
    since_audio.start();
    int status = 0;
    while (status != QTTS_AUDIO_COMPLETE) {
        const TtsEngine::AudioPiece piece = engine.get_audio();
        status = piece.status;
        if (piece.error != 0) {
            if (error != nullptr)
                *error = piece.error;
            return CollectOutcome::EngineError;
        }
        const bool got_audio = piece.data != nullptr && piece.length != 0;
        if (got_audio) {
            audio.append(static_cast<const char *>(piece.data), piece.length);
            since_audio.restart();
        } else if (status != QTTS_AUDIO_COMPLETE && since_audio.elapsed() > no_audio_timeout_ms) {
            return CollectOutcome::TimedOut;
        }
        // The last pass too: a handler run here may still abandon the result.
        if ((got_audio || status != QTTS_AUDIO_COMPLETE) && !between(got_audio))
            return CollectOutcome::Abandoned;
    }
    return CollectOutcome::Done;
}
