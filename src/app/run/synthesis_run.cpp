// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/run/synthesis_run.h"

#include "app/run/synthesis_options.h"
#include "app/status_texts.h"
#include "app/text/text_box.h"
#include "audio/audio_player.h"
#include "engine/audio_collection.h"
#include "engine/engine_text.h"
#include "engine/session_params.h"
#include "engine/tts_engine.h"
#include "platform/gbk.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {

QString status_of(const char16_t *status)
{
    return QString::fromUtf16(status);
}

// The engine itself may be what failed: it never started, or espeak-ng under it could not
// start. Blaming the session's application id then would send the user the wrong way.
QString session_failure_text(int result)
{
    if (result == TtsEngine::kNotStarted)
        return status_of(status_text::kInitFailed);
    if (result == TtsEngine::kSpeechEngineFailed)
        return status_of(status_text::kSpeechDataUnusable);
    return status_of(status_text::kSessionFailed);
}

} // namespace

SynthesisRun::SynthesisRun(QPlainTextEdit *text, QPushButton *start, const OptionBoxes &options, TtsEngine &engine,
                           const VoiceCatalogue &voices, StatusSink show_status)
    : m_text(text)
    , m_start(start)
    , m_options(options)
    , m_engine(engine)
    , m_voices(voices)
    , m_show_status(std::move(show_status))
{
}

void SynthesisRun::set_busy(bool busy)
{
    m_start->setEnabled(!busy);
    m_start->setText(busy ? QStringLiteral("正在合成") : QStringLiteral("开始合成"));
}

void SynthesisRun::start()
{
    if (m_running || m_engine.finalised())
        return;
    if (gbk::remove_spaces(text_box_bytes(m_text)).isEmpty()) {
        m_text->setFocus();
        m_show_status(status_of(status_text::kNoText));
        return;
    }
    // Every list the parameter text is built from: a damaged settings file can leave any of
    // them without a selection, and the engine would refuse the session it gives.
    const QComboBox *required[] = {m_options.voice,       m_options.compression, m_options.speed,
                                   m_options.volume,      m_options.text_type,   m_options.text_encoding,
                                   m_options.background,  m_options.numbers,     m_options.audio_encoding,
                                   m_options.audio_format};
    for (const QComboBox *list : required) {
        if (list->currentIndex() < 0) {
            m_show_status(status_of(status_text::kIncompleteOptions));
            return;
        }
    }
    const SynthesisOptions options = read_synthesis_options(m_options, m_voices);
    // The text goes exactly as the box holds it, spaces included, in the announced encoding.
    const std::optional<QByteArray> text = encode_for_engine(text_box_bytes(m_text), options.text_encoding_text);
    if (!text) {
        m_show_status(status_of(status_text::kUnencodable).arg(QString::fromLatin1(options.text_encoding_text)));
        return;
    }

    m_engine.end_session();
    if (const int result = m_engine.begin_session(SessionParams::build(options)); result != 0) {
        m_show_status(session_failure_text(result));
        return;
    }
    // The audio comes in the format the session was begun with, whatever the list shows later.
    m_format = PcmFormat::for_audio_format(options.audio_format_text);

    set_busy(true);
    if (m_engine.put_text(*text) != 0) {
        m_show_status(status_of(status_text::kTextPutFailed));
        set_busy(false);
        return;
    }
    m_show_status(status_of(status_text::kTextSent));
    collect();
}

void SynthesisRun::collect()
{
    m_running = true;
    m_abandoned = false;
    QByteArray audio;
    const Outcome outcome = poll(audio);
    m_running = false;
    if (outcome == Outcome::Abandoned)
        return;
    // Either way the previous result stays playable and savable.
    if (outcome == Outcome::Failed || audio.isEmpty()) {
        set_busy(false);
        m_show_status(outcome == Outcome::Failed ? status_of(status_text::kSynthesisFailed)
                                                 : status_of(status_text::kNothingToSpeak));
        return;
    }
    const PcmAudio speech{m_format, audio};
    AudioPlayer::stop_all();
    bool heard = false;
    AudioPlayer::play(speech, false, &heard);
    set_busy(false);
    m_last_speech = speech;
    // The speech can still be saved, so the run succeeded; only the listening did not.
    m_show_status(heard ? status_of(status_text::kDone) : status_of(status_text::kDoneWithoutSound));
}

SynthesisRun::Outcome SynthesisRun::poll(QByteArray &audio)
{
    const auto between = [this](bool got_audio) {
        if (got_audio) {
            m_show_status(status_of(status_text::kSynthesising));
            QCoreApplication::processEvents();
        } else {
            wait_handling_events();
        }
        return !m_abandoned;
    };
    switch (collect_audio(m_engine, m_no_audio_timeout_ms, audio, between)) {
    case CollectOutcome::Done:
        return Outcome::Done;
    case CollectOutcome::Abandoned:
        return Outcome::Abandoned;
    case CollectOutcome::EngineError:
    case CollectOutcome::TimedOut:
        break;
    }
    return Outcome::Failed;
}

void SynthesisRun::wait_handling_events()
{
    // A short nested loop instead of a sleep: events are handled the moment they arrive, and
    // the engine is not polled back to back.
    QEventLoop loop;
    QTimer::singleShot(kIdleWaitMs, &loop, &QEventLoop::quit);
    loop.exec();
}
