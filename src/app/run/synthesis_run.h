// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/options/option_boxes.h"
#include "audio/pcm_audio.h"
#include "platform/pcm_format.h"

#include <QByteArray>
#include <QString>
#include <functional>

class QPlainTextEdit;
class QPushButton;
class TtsEngine;
class VoiceCatalogue;

// One synthesis of the text box content: checks, a fresh engine session, the text handed
// over in one piece, the audio collected while the window keeps handling events, then the
// speech played and kept for saving. Everything the user sees goes to the status panel.
class SynthesisRun final {
public:
    using StatusSink = std::function<void(const QString &)>;

    SynthesisRun(QPlainTextEdit *text, QPushButton *start, const OptionBoxes &options, TtsEngine &engine,
                 const VoiceCatalogue &voices, StatusSink show_status);

    void start();
    void set_busy(bool busy);
    // The speech of the last run that reached its end; no bytes before the first.
    const PcmAudio &last_speech() const { return m_last_speech; }

    // Makes a run under way stop polling at its next pass without calling the engine again,
    // so the session can be ended and the engine finalised under it (closing the window).
    void abandon() { m_abandoned = true; }

    // How long a pass without audio waits while handling window events.
    static constexpr int kIdleWaitMs = 4;
    // Without audio for this long the engine is taken as gone: the engine's own time-out.
    void set_no_audio_timeout(int ms) { m_no_audio_timeout_ms = ms; }

private:
    enum class Outcome { Done, Failed, Abandoned };

    void collect();
    Outcome poll(QByteArray &audio);
    void wait_handling_events();

    QPlainTextEdit *m_text;
    QPushButton *m_start;
    const OptionBoxes &m_options;
    TtsEngine &m_engine;
    const VoiceCatalogue &m_voices;
    StatusSink m_show_status;
    bool m_running = false;
    bool m_abandoned = false;
    int m_no_audio_timeout_ms = 10000;
    PcmFormat m_format;
    PcmAudio m_last_speech;
};
