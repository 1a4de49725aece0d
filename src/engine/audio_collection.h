// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <functional>

class TtsEngine;

// Polls the engine for the audio of its open session until it reports the end of the data.
enum class CollectOutcome {
    Done,        // all audio delivered
    EngineError, // the engine reported an error code
    TimedOut,    // no audio for the given time
    Abandoned,   // the caller asked to stop; the engine was not called again
};

// After every pass, between(got_audio) runs: it waits or handles events as the caller needs,
// and returns false to abandon the collection. Each chunk is copied before it runs, since the
// engine's memory lasts only until its next call. *error receives a reported error code.
CollectOutcome collect_audio(TtsEngine &engine, int no_audio_timeout_ms, QByteArray &audio,
                             const std::function<bool(bool got_audio)> &between, int *error = nullptr);
