// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech_worker.h"

#include "qtts.h"

#include <cstdlib>
#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>
#include <string>
#include <unistd.h>

namespace speech {
namespace {

// espeak-ng stays initialised for the life of the process: espeak_Terminate of 1.51 deadlocks
// in synchronous mode, and a later worker thread reuses the same instance.
int g_espeak_rate = 0;

constexpr int espeak_buffer_ms = 50;

// What the synth callback works on. Only the worker thread sets and reads it.
struct CallbackContext {
    SpeechJob *job = nullptr;
    AudioPipeline *pipeline = nullptr;
    const std::atomic<bool> *abort = nullptr;
    SpeechWorker *worker = nullptr;
    std::vector<short> out;
    int error = 0;
    // Silence before the first sound is held back: a text with nothing speakable (punctuation,
    // markup only) gives only silence, and then no audio at all.
    std::size_t held_silence = 0;
    bool heard = false;
};

// espeak-ng reads these at its start and cannot speak without them.
bool espeak_data_present()
{
    espeak_ng_InitializePath(nullptr);
    const char *folder = nullptr;
    espeak_Info(&folder);
    if (folder == nullptr)
        return false;
    for (const char *name : {"phontab", "phonindex", "phondata", "intonations"}) {
        const std::string path = std::string(folder) + '/' + name;
        if (::access(path.c_str(), R_OK) != 0)
            return false;
    }
    return true;
}

bool silent(const short *samples, int count)
{
    for (int i = 0; i < count; ++i) {
        if (samples[i] != 0)
            return false;
    }
    return true;
}

thread_local CallbackContext *t_context = nullptr;

// Returning 1 is the only way to stop a synchronous espeak_Synth: espeak_Cancel does not.
int on_audio(short *samples, int count, espeak_EVENT * /*events*/)
{
    CallbackContext *context = t_context;
    if (context == nullptr)
        return 0;
    if (context->abort->load(std::memory_order_relaxed) || context->job->stream->cancelled())
        return 1;
    const Clock::time_point now = Clock::now();
    context->worker->beat();
    if (samples == nullptr || count <= 0) {
        context->job->stream->mark_progress(now);
        return 0;
    }
    if (!context->heard && silent(samples, count)) {
        context->held_silence += static_cast<std::size_t>(count);
        context->job->stream->mark_progress(now);
        return 0;
    }
    context->out.clear();
    bool processed = true;
    if (!context->heard) {
        context->heard = true;
        const std::vector<short> silence(context->held_silence, 0);
        processed = context->pipeline->process(silence.data(), silence.size(), context->out);
    }
    if (!processed || !context->pipeline->process(samples, static_cast<std::size_t>(count), context->out)) {
        context->error = QTTS_ERROR_CODEC_FAILED;
        return 1;
    }
    context->job->stream->append(context->out.data(), context->out.size(), now);
    return 0;
}

} // namespace

SpeechWorker::~SpeechWorker()
{
    stop();
}

int SpeechWorker::start()
{
    // A missing data folder is the one failure worth reporting at once; what else espeak-ng's
    // start may meet is reported by the first session (started()).
    if (g_espeak_rate <= 0 && !espeak_data_present())
        return QTTS_ERROR_SPEECH_ENGINE;
    std::promise<int> started;
    m_started = started.get_future().share();
    m_stopping = false;
    m_abort = false;
    // espeak-ng reads its phoneme tables and voices here, on the worker, while the caller goes
    // on (a window gets drawn meanwhile); a job submitted before that ends waits for it.
    m_thread = std::thread([this, started = std::move(started)]() mutable {
        if (g_espeak_rate <= 0) {
            const int rate =
                espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, espeak_buffer_ms, nullptr, espeakINITIALIZE_DONT_EXIT);
            g_espeak_rate = rate > 0 ? rate : 0;
        }
        if (g_espeak_rate <= 0) {
            started.set_value(QTTS_ERROR_SPEECH_ENGINE);
            return;
        }
        espeak_SetSynthCallback(on_audio);
        m_input_rate = g_espeak_rate;
        started.set_value(QTTS_SUCCESS);
        run();
    });
    return QTTS_SUCCESS;
}

int SpeechWorker::started() const
{
    return m_started.valid() ? m_started.get() : QTTS_ERROR_SPEECH_ENGINE;
}

void SpeechWorker::stop()
{
    if (!m_thread.joinable())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        for (const auto &job : m_queue) {
            job->stream->cancel();
            job->stream->finish(0);
        }
        m_queue.clear();
    }
    m_abort = true;
    m_wake.notify_all();
    m_thread.join();
}

void SpeechWorker::submit(std::shared_ptr<SpeechJob> job)
{
    // Nothing would ever take a job off the queue of a worker whose start failed.
    if (started() != QTTS_SUCCESS) {
        job->stream->finish(QTTS_ERROR_SPEECH_ENGINE);
        return;
    }
    {
        const std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(job));
    }
    m_wake.notify_one();
}

Clock::time_point SpeechWorker::heartbeat() const
{
    return Clock::time_point(Clock::duration(m_heartbeat.load(std::memory_order_relaxed)));
}

void SpeechWorker::beat()
{
    m_heartbeat.store(Clock::now().time_since_epoch().count(), std::memory_order_relaxed);
}

void SpeechWorker::run()
{
    while (true) {
        std::shared_ptr<SpeechJob> job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
            if (m_stopping)
                return;
            job = std::move(m_queue.front());
            m_queue.pop_front();
        }
        if (job->stream->cancelled())
            job->stream->finish(0);
        else
            synthesise(*job);
    }
}

void SpeechWorker::synthesise(SpeechJob &job)
{
    beat();
    job.stream->mark_progress(Clock::now());
    job.pipeline.input_rate = m_input_rate;
    AudioPipeline pipeline(job.pipeline, job.codec);
    if (!pipeline.valid()) {
        job.stream->finish(QTTS_ERROR_CODEC_FAILED);
        return;
    }
    CallbackContext context;
    context.job = &job;
    context.pipeline = &pipeline;
    context.abort = &m_abort;
    context.worker = this;
    t_context = &context;
    // espeak-ng draws its noise from rand() (the engine's own, per thread). Seeding it per job
    // makes the same text give the same audio whatever the thread spoke before.
    std::srand(1);

    int error = 0;
    for (const SpeechSegment &segment : job.segments) {
        if (job.stream->cancelled() || m_abort)
            break;
        if (espeak_SetVoiceByName(segment.voice.c_str()) != EE_OK) {
            error = QTTS_ERROR_SYNTHESIS_FAILED;
            break;
        }
        espeak_SetParameter(espeakRATE, job.rate, 0);
        espeak_SetParameter(espeakPITCH, job.pitch, 0);
        espeak_SetParameter(espeakRANGE, job.range, 0);
        espeak_SetParameter(espeakVOLUME, 100, 0);
        const unsigned int flags = espeakCHARS_UTF8 | (segment.ssml ? espeakSSML : 0);
        const espeak_ERROR result =
            espeak_Synth(segment.text.c_str(), segment.text.size() + 1, 0, POS_CHARACTER, 0, flags, nullptr, nullptr);
        if (context.error != 0) {
            error = context.error;
            break;
        }
        if (result != EE_OK && !job.stream->cancelled() && !m_abort) {
            error = QTTS_ERROR_SYNTHESIS_FAILED;
            break;
        }
        beat();
    }
    t_context = nullptr;
    if (m_abort)
        job.stream->cancel(); // stopped half-way: not a complete synthesis

    context.out.clear();
    if (error == 0 && context.heard && !job.stream->cancelled() && !m_abort && !pipeline.finish(context.out))
        error = QTTS_ERROR_CODEC_FAILED;
    job.stream->finish(error, context.out.data(), error == 0 ? context.out.size() : 0);
    beat();
}

} // namespace speech
