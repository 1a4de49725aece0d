// SPDX-License-Identifier: GPL-3.0-or-later
#include "speaker.h"

#include "engine/tts_engine.h"
#include "module_output.h"
#include "platform/gbk.h"
#include "say/play_stream.h"
#include "speech_settings.h"
#include "text/sentence_split.h"
#include "text/text_limit.h"

#include <QString>
#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

// Pieces with marks are spoken whole before their audio is handed on: a sentence or two, so
// the first of them is heard at once.
constexpr qsizetype kMarkedPieceLimit = 160;

} // namespace

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

bool Speaker::speak(QByteArray document, QByteArray params)
{
    const std::lock_guard lock(m_mutex);
    if (m_busy || m_quit)
        return false;
    m_stop = false;
    m_pause = false;
    m_busy = true;
    m_job = Job{std::move(document), std::move(params), m_output.open_audio()};
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
        sound = std::make_unique<PlayStream>(SpeechSettings::kAudioFormat, [this] { return m_stop.load(); });
        if (!sound->open()) {
            std::fprintf(stderr, "sd_lumeno: %s\n", qPrintable(sound->error()));
            return Ending::Stopped;
        }
    }
    QList<QByteArray> marks_left;
    for (const SpeechPart &part : split_at_marks(job.document)) {
        if (!part.mark.isEmpty())
            marks_left.append(part.mark);
    }
    const QByteArray gbk_text = gbk::encode(QString::fromUtf8(job.document));
    const qsizetype limit = marks_left.isEmpty() ? kTextLimit : kMarkedPieceLimit;
    for (const QByteArray &piece : split_ssml_for_engine(gbk_text, limit)) {
        if (!piece.contains("<mark")) {
            if (!speak_piece(piece, job, sound.get()))
                return Ending::Stopped;
        } else if (const std::optional<Ending> ending = speak_marked_piece(piece, job, sound.get(), marks_left)) {
            return *ending;
        }
    }
    // Marks after the last words (the splitter leaves out pieces with nothing to say).
    while (!marks_left.isEmpty()) {
        if (const std::optional<Ending> ending = reach_mark(marks_left.takeFirst(), sound.get()))
            return *ending;
    }
    if (sound && !sound->finish())
        return Ending::Stopped;
    return m_stop ? Ending::Stopped : Ending::End;
}

std::optional<Speaker::Ending> Speaker::speak_marked_piece(const QByteArray &piece, const Job &job, AudioSink *sound,
                                                           QList<QByteArray> &marks_left)
{
    QByteArray audio;
    if (!synthesize(remove_marks(piece), job, [&audio](QByteArrayView pcm) {
            audio += pcm;
            return true;
        }))
        return Ending::Stopped;
    const QList<SpeechPart> parts = split_at_marks(piece);
    qsizetype total = 0;
    for (const SpeechPart &part : parts)
        total += spoken_weight(part.ssml);
    qsizetype before = 0;
    qsizetype handed = 0;
    for (const SpeechPart &part : parts) {
        before += spoken_weight(part.ssml);
        if (part.mark.isEmpty())
            continue;
        const qsizetype until = total > 0 ? audio.size() * before / total / 2 * 2 : 0;
        if (until > handed && !hand_on(job, sound, QByteArrayView(audio).sliced(handed, until - handed)))
            return Ending::Stopped;
        handed = std::max(handed, until);
        // Marks of pieces left out for having nothing to say come first, in their order.
        const qsizetype at = marks_left.indexOf(part.mark);
        const QList<QByteArray> due = at >= 0 ? marks_left.first(at + 1) : QList<QByteArray>{part.mark};
        if (at >= 0)
            marks_left.remove(0, at + 1);
        for (const QByteArray &mark : due) {
            if (const std::optional<Ending> ending = reach_mark(mark, sound))
                return ending;
        }
    }
    if (handed < audio.size() && !hand_on(job, sound, QByteArrayView(audio).sliced(handed)))
        return Ending::Stopped;
    return std::nullopt;
}

std::optional<Speaker::Ending> Speaker::reach_mark(const QByteArray &mark, AudioSink *sound)
{
    // The mark is reached when what stands before it has been heard.
    if (sound && !sound->finish())
        return Ending::Stopped;
    if (m_stop)
        return Ending::Stopped;
    m_output.say("700-" + mark, "700 INDEX MARK");
    if (m_pause && mark.startsWith("__spd_"))
        return Ending::Paused;
    return std::nullopt;
}

bool Speaker::hand_on(const Job &job, AudioSink *sound, QByteArrayView pcm)
{
    if (m_stop)
        return false;
    return sound != nullptr ? sound->write(pcm) : m_output.audio(job.token, pcm, SpeechSettings::kAudioFormat);
}

bool Speaker::speak_piece(const QByteArray &piece, const Job &job, AudioSink *sound)
{
    return synthesize(piece, job, [&](QByteArrayView pcm) { return hand_on(job, sound, pcm); });
}

bool Speaker::synthesize(const QByteArray &piece, const Job &job, const std::function<bool(QByteArrayView)> &take)
{
    if (m_stop)
        return false;
    int error = m_engine.begin_session(job.params);
    if (error == 0)
        error = m_engine.put_text(piece);
    while (error == 0 && !m_stop) {
        const TtsEngine::AudioPiece audio = m_engine.get_audio();
        error = audio.error;
        if (audio.length > 0 && !take(QByteArrayView(static_cast<const char *>(audio.data), audio.length)))
            break;
        if (audio.status == QTTS_AUDIO_COMPLETE)
            break;
    }
    m_engine.end_session();
    if (error != 0)
        std::fprintf(stderr, "sd_lumeno: the engine failed with error %d\n", error);
    return error == 0 && !m_stop && !m_output.broken();
}
