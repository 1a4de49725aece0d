// SPDX-License-Identifier: GPL-3.0-or-later
#include "say/batch_worker.h"

#include "engine/blocking_synthesis.h"
#include "engine/tts_engine.h"
#include "platform/fd_io.h"
#include "say/batch_protocol.h"

#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Without audio for this long the engine is taken as stuck (its own time-out is 10 s).
constexpr int kNoAudioTimeoutMs = 15000;
// Audio is passed on in blocks of this size (two seconds at 16 kHz), not as the engine hands
// it out: a pipe write and a read for every quarter second cost more than the resampling.
constexpr qsizetype kForwardBlock = 64 * 1024;

// Speaks the pieces of a batch one session after another from the same fresh start, each
// answered by its audio and its end frame; the first failure ends the batch.
[[noreturn]] void speak_batch(TtsEngine &engine, const QByteArray &params, const QByteArray &batch)
{
    QByteArray block;
    const auto flush = [&block] {
        const bool written = block.isEmpty() || fd_io::write_all(STDOUT_FILENO, batch_protocol::audio_frame(block));
        block.clear();
        return written;
    };
    const auto forward = [&](QByteArrayView audio) {
        block.append(audio.data(), audio.size());
        return block.size() < kForwardBlock || flush();
    };
    int result = engine.start_engine();
    bool told = true;
    for (const QByteArray &piece : batch.split(batch_protocol::kPieceSeparator)) {
        if (result == 0)
            result = synthesize_blocking(engine, params, piece, kNoAudioTimeoutMs, forward).error;
        // The exit status carries only 8 bits; the end frame carries the whole result.
        told = flush() && fd_io::write_all(STDOUT_FILENO, batch_protocol::end_frame(result));
        if (result != 0 || !told)
            break;
    }
    // No clean-up: the process ends here, and the engine's threads with it.
    _exit(told ? 0 : 1);
}

} // namespace

QStringList batch_worker_arguments(const QString &engine_library, const QByteArray &params)
{
    return {QString::fromLatin1(kBatchWorkerFlag), engine_library, QString::fromLatin1(params)};
}

int run_batch_worker(TtsEngine &engine, const QByteArray &params)
{
    // Load the library once, before any fork, so no child repeats it.
    engine.load_library();
    // The same for the user's readings: a reading of one character reads the file, and every
    // batch's process inherits what was read instead of reading and reporting it again.
    if (const QTTSTextReadingFunc preview = engine.reading_preview()) {
        char reading[64];
        unsigned int length = sizeof reading;
        preview(params.constData(), "\xd6\xd0", 2, reading, &length); // 中 in GBK
    }
    QByteArray batch;
    while (batch_protocol::read_batch(STDIN_FILENO, batch)) {
        const pid_t child = fork();
        if (child == 0) {
            // Goes with its worker when the tool kills it (an interrupt).
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            speak_batch(engine, params, batch);
        }
        int status = 0;
        const bool spoken =
            child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (!spoken)
            return batch_protocol::kSpeakerDiedExit + (child > 0 && WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    }
    return 0;
}
