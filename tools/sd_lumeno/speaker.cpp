#include "speaker.h"

#include "engine/tts_engine.h"
#include "module_output.h"
#include "platform/gbk.h"
#include "say/play_stream.h"
#include "speech_settings.h"
#include "text/sentence_split.h"
#include "text/text_limit.h"

#include <QString>
#include <cstdio>
#include <memory>

Speaker::Speaker(TtsEngine &engine, ModuleOutput &output)
    : m_engine(engine)
    , m_output(output)
    , m_thread([this] { run(); })
{
}

Speaker::~Speaker()
{
    shut_down();
}

bool Speaker::speak(QList<SpeechPart> parts, QByteArray params)
{
    const std::lock_guard lock(m_mutex);
    if (m_busy || m_quit)
        return false;
    m_stop = false;
    m_pause = false;
    m_busy = true;
    m_job = Job{std::move(parts), std::move(params), m_output.open_audio()};
    m_wake.notify_one();
    return true;
}

void Speaker::stop()
{
    const std::lock_guard lock(m_mutex);
    if (!m_busy)
        return;
    m_output.close_audio();
    m_stop = true;
}

void Speaker::pause()
{
    m_pause = true;
}

void Speaker::shut_down()
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_quit)
            return;
        m_quit = true;
        if (m_busy) {
            m_output.close_audio();
            m_stop = true;
        }
        m_wake.notify_one();
    }
    m_thread.join();
}

void Speaker::run()
{
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_job.has_value() || m_quit; });
            if (!m_job.has_value())
                return;
            job = std::move(*m_job);
            m_job.reset();
        }
        m_output.say("701 BEGIN");
        report(speak_job(job));
    }
}

void Speaker::report(Ending ending)
{
    // The module takes the next message before the server can read the event.
    m_busy = false;
    switch (ending) {
    case Ending::End:
        m_output.say("702 END");
        break;
    case Ending::Stopped:
        m_output.say("703 STOP");
        break;
    case Ending::Paused:
        m_output.say("704 PAUSE");
        break;
    }
}

Speaker::Ending Speaker::speak_job(const Job &job)
{
    std::unique_ptr<PlayStream> sound;
    if (m_route == Route::SoundOutput) {
        sound = std::make_unique<PlayStream>(SpeechSettings::kSampleRate, [this] { return m_stop.load(); });
        if (!sound->open()) {
            std::fprintf(stderr, "sd_lumeno: %s\n", qPrintable(sound->error()));
            return Ending::Stopped;
        }
    }
    for (const SpeechPart &part : job.parts) {
        if (has_speech(part.ssml)) {
            const QByteArray gbk_text = gbk::encode(QString::fromUtf8(part.ssml));
            for (const QByteArray &piece : split_ssml_for_engine(gbk_text, kTextLimit)) {
                if (!speak_piece(piece, job, sound.get()))
                    return Ending::Stopped;
            }
        }
        if (part.mark.isEmpty())
            continue;
        // The mark is reached when what stands before it has been heard.
        if (sound && !sound->finish())
            return Ending::Stopped;
        if (m_stop)
            return Ending::Stopped;
        m_output.say("700-" + part.mark, "700 INDEX MARK");
        if (m_pause && part.mark.startsWith("__spd_"))
            return Ending::Paused;
    }
    if (sound && !sound->finish())
        return Ending::Stopped;
    return m_stop ? Ending::Stopped : Ending::End;
}

bool Speaker::speak_piece(const QByteArray &piece, const Job &job, AudioSink *sound)
{
    if (m_stop)
        return false;
    int error = m_engine.begin_session(job.params);
    if (error == 0)
        error = m_engine.put_text(piece);
    while (error == 0 && !m_stop) {
        const TtsEngine::AudioPiece audio = m_engine.get_audio();
        error = audio.error;
        if (audio.length > 0) {
            const QByteArrayView pcm(static_cast<const char *>(audio.data), audio.length);
            const bool taken =
                sound != nullptr ? sound->write(pcm) : m_output.audio(job.token, pcm, SpeechSettings::kSampleRate);
            if (!taken)
                break;
        }
        if (audio.status == QTTS_AUDIO_COMPLETE)
            break;
    }
    m_engine.end_session();
    if (error != 0)
        std::fprintf(stderr, "sd_lumeno: the engine failed with error %d\n", error);
    return error == 0 && !m_stop && !m_output.broken();
}
