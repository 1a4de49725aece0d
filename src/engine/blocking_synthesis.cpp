// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/blocking_synthesis.h"

#include "engine/audio_collection.h"
#include "engine/engine_text.h"
#include "engine/tts_engine.h"

#include <chrono>
#include <thread>

namespace {

constexpr auto kIdleWait = std::chrono::milliseconds(3);

} // namespace

BlockingResult synthesize_blocking(TtsEngine &engine, const QByteArray &params, const QByteArray &text,
                                   int no_audio_timeout_ms, const AudioHandler &on_audio)
{
    BlockingResult result;
    const std::optional<QByteArray> engine_text = encode_for_engine(text, announced_text_encoding(params));
    if (!engine_text) {
        result.error = kUnrepresentable;
        return result;
    }
    result.error = engine.begin_session(params);
    if (result.error != 0)
        return result;
    result.error = engine.put_text(*engine_text);
    if (result.error == 0) {
        const auto wait = [&](bool got_audio) {
            if (on_audio && !result.audio.isEmpty()) {
                const bool go_on = on_audio(result.audio);
                result.audio.clear();
                if (!go_on)
                    return false;
            }
            if (!got_audio)
                std::this_thread::sleep_for(kIdleWait);
            return true;
        };
        const CollectOutcome outcome = collect_audio(engine, no_audio_timeout_ms, result.audio, wait, &result.error);
        if (outcome == CollectOutcome::TimedOut)
            result.error = kTimedOut;
        else if (outcome == CollectOutcome::Abandoned)
            result.error = kAbandoned;
    }
    engine.end_session("");
    return result;
}
