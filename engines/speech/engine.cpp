// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine.h"

#include "library_location.h"
#include "qtts.h"
#include "script_runs.h"
#include "session_ids.h"
#include "speech_plan.h"
#include "text_decoder.h"

#include <chrono>
#include <cstring>
#include <map>
#include <new>
#include <string_view>
#include <vector>

namespace speech {
namespace {

// How long QTTSAudioGet waits for audio before it returns empty-handed.
constexpr auto poll_wait = std::chrono::milliseconds(5);
// A caller waiting for audio is woken for the first audio, then once this many chunks are
// ready: espeak-ng makes a chunk in a fraction of a millisecond, and a wake for each one cost
// more than the resampling. The caller then takes them one call after another without waiting.
constexpr std::size_t kWakeChunks = 8;

// The most audio one QTTSAudioGet hands out: a quarter of a second.
std::size_t chunk_samples(const SynthesisSettings &settings)
{
    return static_cast<std::size_t>(settings.sample_rate / 4);
}

PipelineSettings pipeline_settings(const SynthesisSettings &settings)
{
    PipelineSettings pipeline;
    pipeline.output_rate = settings.sample_rate;
    pipeline.gain = volume_gain(settings.volume);
    pipeline.background = settings.background;
    if (uses_speex(settings.audio_encoding)) {
        pipeline.codec_rate = settings.audio_encoding == AudioEncoding::Speex ? 8000 : 16000;
        pipeline.codec_quality = settings.level;
    }
    return pipeline;
}

// The audio QTTSAudioGet handed this thread last, per session id. It lives here rather than in
// the session so it stays valid until this thread's next call for that session, even when
// another thread ends the session or finalises the engine meanwhile.
class HandedOutAudio final {
public:
    void release(std::string_view session_id)
    {
        if (const auto it = m_chunks.find(session_id); it != m_chunks.end())
            m_chunks.erase(it);
    }

    void release_all() { m_chunks.clear(); }

    const short *keep(const std::shared_ptr<Session> &session, std::vector<short> chunk)
    {
        // Pieces of sessions that have ended stay until this thread calls for them again; past
        // the session limit the oldest such cannot be wanted any more, so they go.
        if (m_chunks.size() >= QTTS_MAX_SESSIONS)
            std::erase_if(m_chunks, [](const auto &entry) { return entry.second.session.expired(); });
        Entry &entry = m_chunks[session->id];
        entry.session = session;
        entry.chunk = std::move(chunk);
        return entry.chunk.data();
    }

private:
    struct Entry {
        std::weak_ptr<const Session> session;
        std::vector<short> chunk;
    };
    std::map<std::string, Entry, std::less<>> m_chunks;
};

thread_local HandedOutAudio t_handed_out;

// Never destroyed: a thread still holding an id may call in while the process exits.
SessionIds &session_ids()
{
    static auto *ids = new SessionIds();
    return *ids;
}

} // namespace

Engine &Engine::instance()
{
    static Engine engine;
    return engine;
}

Engine::~Engine()
{
    m_worker.stop();
}

int Engine::init(const char *configs)
{
    if (configs == nullptr)
        return QTTS_ERROR_NULL_ARGUMENT;
    const std::lock_guard lock(m_mutex);
    if (m_initialised)
        return QTTS_ERROR_ALREADY_INITIALISED;
    auto config = parse_engine_config(configs);
    if (!config)
        return QTTS_ERROR_INVALID_CONFIG;
    auto codec = CodecLibrary::load(config->coding_libs, own_library_folder());
    if (codec == nullptr)
        return QTTS_ERROR_CODEC_LIBRARY;
    const int started = m_worker.start();
    if (started != QTTS_SUCCESS)
        return started;
    m_config = std::move(*config);
    m_codec = std::move(codec);
    m_initialised = true;
    return QTTS_SUCCESS;
}

const char *Engine::begin_session(const char *params, int *error)
{
    int dummy = 0;
    int &result = error != nullptr ? *error : dummy;
    if (params == nullptr) {
        result = QTTS_ERROR_NULL_ARGUMENT;
        return nullptr;
    }
    // The parameter text is read before the engine-wide lock: its length is the caller's.
    SynthesisSettings settings;
    const SettingsError parsed = parse_synthesis_settings(params, settings);
    const std::lock_guard lock(m_mutex);
    if (!m_initialised) {
        result = QTTS_ERROR_NOT_INITIALISED;
        return nullptr;
    }
    if (m_worker.started() != QTTS_SUCCESS) {
        result = QTTS_ERROR_SPEECH_ENGINE;
        return nullptr;
    }
    switch (parsed) {
    case SettingsError::Malformed:
        result = QTTS_ERROR_INVALID_PARAMS;
        return nullptr;
    case SettingsError::UnknownVoice:
        result = QTTS_ERROR_UNKNOWN_VOICE;
        return nullptr;
    case SettingsError::None:
        break;
    }
    if (m_sessions.size() >= QTTS_MAX_SESSIONS) {
        result = QTTS_ERROR_TOO_MANY_SESSIONS;
        return nullptr;
    }
    try {
        auto session = std::make_shared<Session>();
        if (!voice_profile(settings.voice_id, session->profile)) {
            result = QTTS_ERROR_UNKNOWN_VOICE;
            return nullptr;
        }
        session->settings = std::move(settings);
        session->id = "lumeno-" + std::to_string(++m_sessions_begun);
        // The caller gets a lasting copy: the session's own text goes with the session, and the
        // caller may still pass the id after another thread ended it.
        const char *id = session_ids().keep(session->id);
        m_sessions.emplace(session->id, std::move(session));
        result = QTTS_SUCCESS;
        return id;
    } catch (const std::bad_alloc &) {
        result = QTTS_ERROR_OUT_OF_MEMORY;
        return nullptr;
    }
}

std::shared_ptr<Session> Engine::find(const char *session_id, int &error)
{
    if (!m_initialised) {
        error = QTTS_ERROR_NOT_INITIALISED;
        return nullptr;
    }
    const auto it = m_sessions.find(std::string_view(session_id));
    if (it == m_sessions.end()) {
        error = QTTS_ERROR_UNKNOWN_SESSION;
        return nullptr;
    }
    return it->second;
}

int Engine::put_text(const char *session_id, const char *text, unsigned int length)
{
    if (session_id == nullptr || (text == nullptr && length > 0))
        return QTTS_ERROR_NULL_ARGUMENT;
    t_handed_out.release(session_id);
    std::shared_ptr<Session> session;
    {
        const std::lock_guard lock(m_mutex);
        int error = 0;
        session = find(session_id, error);
        if (session == nullptr)
            return error;
        if (length > m_config.max_text_size)
            return QTTS_ERROR_TEXT_TOO_LONG;
    }
    try {
        // The text is prepared outside every lock: it reads only the session's settings and
        // profile, which never change, so a long text holds up no other caller.
        const SynthesisSettings &settings = session->settings;
        const std::u32string decoded =
            decode_text(std::string_view(text != nullptr ? text : "", length), settings.text_encoding);
        auto job = std::make_shared<SpeechJob>();
        job->segments = plan_speech(keep_spoken_scripts(decoded, session->profile), session->profile,
                                    settings.text_type, settings.number_reading);
        job->rate = speech_rate(session->profile, settings.speed);
        job->pitch = session->profile.pitch;
        job->range = session->profile.range;
        job->pipeline = pipeline_settings(settings);
        job->stream = std::make_shared<AudioStream>(Clock::now(), kWakeChunks * chunk_samples(settings));

        // Held from here on so QTTSFini cannot stop the worker between the checks and the
        // submit, nor QTTSSessionEnd end the session unseen.
        const std::lock_guard lock(m_mutex);
        int error = 0;
        if (find(session_id, error) != session)
            return error != 0 ? error : QTTS_ERROR_UNKNOWN_SESSION;
        const std::lock_guard session_lock(session->mutex);
        if (session->stream != nullptr && !session->delivered)
            return QTTS_ERROR_BUSY;
        job->codec = m_codec.get();
        session->stream = job->stream;
        session->delivered = false;
        if (job->segments.empty())
            job->stream->finish(QTTS_SUCCESS); // nothing to say: the end comes at once
        else
            m_worker.submit(std::move(job));
    } catch (const std::bad_alloc &) {
        return QTTS_ERROR_OUT_OF_MEMORY;
    }
    return QTTS_SUCCESS;
}

const void *Engine::get_audio(const char *session_id, unsigned int *length, int *status, int *error)
{
    if (session_id == nullptr || length == nullptr || status == nullptr || error == nullptr)
        return nullptr;
    *length = 0;
    *status = QTTS_AUDIO_COMPLETE;
    t_handed_out.release(session_id);
    std::shared_ptr<Session> session;
    Clock::duration timeout{};
    {
        const std::lock_guard lock(m_mutex);
        session = find(session_id, *error);
        if (session == nullptr)
            return nullptr;
        timeout = std::chrono::milliseconds(m_config.timeout_ms);
    }

    const std::lock_guard session_lock(session->mutex);
    if (session->stream == nullptr) {
        *error = QTTS_ERROR_NO_TEXT;
        return nullptr;
    }
    const std::size_t max_samples = chunk_samples(session->settings);
    AudioStream &stream = *session->stream;
    AudioStream::Poll poll;
    std::vector<short> chunk;
    try {
        poll = stream.poll(chunk, max_samples, Clock::now(), timeout, m_worker.heartbeat());
        if (poll.samples == 0 && !poll.last) {
            stream.wait_for_audio(poll_wait);
            poll = stream.poll(chunk, max_samples, Clock::now(), timeout, m_worker.heartbeat());
        }
    } catch (const std::bad_alloc &) {
        stream.cancel();
        stream.finish(QTTS_ERROR_OUT_OF_MEMORY);
        poll = AudioStream::Poll{0, true, QTTS_ERROR_OUT_OF_MEMORY};
    }
    session->delivered = poll.last;
    *error = poll.error;
    *status = poll.last ? QTTS_AUDIO_COMPLETE : QTTS_AUDIO_MORE;
    if (poll.samples == 0)
        return nullptr;
    try {
        const short *audio = t_handed_out.keep(session, std::move(chunk));
        *length = static_cast<unsigned int>(poll.samples * sizeof(short));
        return audio;
    } catch (const std::bad_alloc &) {
        *error = QTTS_ERROR_OUT_OF_MEMORY;
        return nullptr;
    }
}

int Engine::end_session(const char *session_id)
{
    if (session_id == nullptr)
        return QTTS_ERROR_NULL_ARGUMENT;
    t_handed_out.release(session_id);
    std::shared_ptr<Session> session;
    {
        const std::lock_guard lock(m_mutex);
        int error = 0;
        session = find(session_id, error);
        if (session == nullptr)
            return error;
        m_sessions.erase(session->id);
    }
    const std::lock_guard session_lock(session->mutex);
    if (session->stream != nullptr)
        session->stream->cancel();
    return QTTS_SUCCESS;
}

int Engine::fini()
{
    t_handed_out.release_all();
    const std::lock_guard lock(m_mutex);
    if (!m_initialised)
        return QTTS_ERROR_NOT_INITIALISED;
    for (const auto &[id, session] : m_sessions) {
        const std::lock_guard session_lock(session->mutex);
        if (session->stream != nullptr)
            session->stream->cancel();
    }
    m_sessions.clear();
    m_worker.stop();
    m_codec.reset();
    m_initialised = false;
    return QTTS_SUCCESS;
}

} // namespace speech
