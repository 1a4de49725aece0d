// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "speaker.h"
#include "speech_settings.h"

#include <QByteArray>
#include <cstdio>
#include <memory>
#include <optional>

class ModuleOutput;
class TtsEngine;

// The module's side of Speech Dispatcher's output module protocol: reads commands from the
// server line by line, answers them and hands messages to the speaker. Runs until QUIT or
// until the server closes its end.
class ModuleSession final {
public:
    ModuleSession(std::FILE *input, ModuleOutput &output, TtsEngine &engine);
    ~ModuleSession();

    // The exit status: 0 after QUIT or when the server has gone.
    int run();

private:
    std::optional<QByteArray> read_line();
    // The lines up to the lone dot; a leading doubled dot loses one. Nothing when the input ends.
    std::optional<QList<QByteArray>> read_block();

    bool command(const QByteArray &line);
    void init();
    void audio();
    void settings();
    void log_level();
    void list_voices();
    void message(const QByteArray &command);

    std::FILE *m_input;
    ModuleOutput &m_output;
    TtsEngine &m_engine;
    std::unique_ptr<Speaker> m_speaker;
    Speaker::Route m_route = Speaker::Route::Server;
    SpeechSettings m_settings;
    QByteArray m_params; // the session parameters, made again only when a setting changes
    bool m_started = false;
};
