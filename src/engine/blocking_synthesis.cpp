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
    int error = 0;
    const char *id = engine.api("QTTSSessionBegin").session_begin(params.constData(), &error);
    if (id == nullptr || error != 0) {
        result.error = error != 0 ? error : -1;
        return result;
    }
    const QByteArray session(id);
    result.error = engine.api("QTTSTextPut")
                       .text_put(session.constData(), engine_text->constData(),
                                 static_cast<unsigned int>(engine_text->size()), "");
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
        const CollectOutcome outcome =
            collect_audio(engine, session, no_audio_timeout_ms, result.audio, wait, &result.error);
        if (outcome == CollectOutcome::TimedOut)
            result.error = kTimedOut;
        else if (outcome == CollectOutcome::Abandoned)
            result.error = kAbandoned;
    }
    engine.api("QTTSSessionEnd").session_end(session.constData(), "");
    return result;
}
