// SPDX-License-Identifier: GPL-3.0-or-later
#include "module_session.h"

#include "engine/blocking_synthesis.h"
#include "engine/tts_engine.h"
#include "message_document.h"
#include "module_output.h"
#include "module_voices.h"
#include "speaker.h"

#include <cstdlib>

namespace {

// A warm-up utterance at start: espeak-ng loads its data and the voice before the first
// message, so that one starts as fast as every later one.
constexpr const char *kWarmUp = "<speak>\xba\xc3</speak>"; // 好 in GBK
constexpr int kWarmUpTimeoutMs = 10000;

} // namespace

ModuleSession::ModuleSession(std::FILE *input, ModuleOutput &output, TtsEngine &engine)
    : m_input(input)
    , m_output(output)
    , m_engine(engine)
{
}

ModuleSession::~ModuleSession()
{
    if (m_speaker)
        m_speaker->shut_down();
    if (m_started)
        m_engine.finalise();
}

std::optional<QByteArray> ModuleSession::read_line()
{
    char *buffer = nullptr;
    std::size_t capacity = 0;
    const ssize_t length = ::getline(&buffer, &capacity, m_input);
    std::optional<QByteArray> line;
    if (length >= 0) {
        line = QByteArray(buffer, length);
        if (line->endsWith('\n'))
            line->chop(1);
    }
    std::free(buffer);
    return line;
}

std::optional<QList<QByteArray>> ModuleSession::read_block()
{
    QList<QByteArray> lines;
    for (;;) {
        std::optional<QByteArray> line = read_line();
        if (!line)
            return std::nullopt;
        if (*line == ".")
            return lines;
        if (line->startsWith(".."))
            line->remove(0, 1);
        lines.append(std::move(*line));
    }
}

int ModuleSession::run()
{
    while (std::optional<QByteArray> line = read_line()) {
        if (!command(*line))
            return 0;
        if (m_output.broken())
            break;
    }
    // The server has gone: nothing is left to speak to.
    return 0;
}

bool ModuleSession::command(const QByteArray &line)
{
    if (line == "INIT")
        init();
    else if (line == "AUDIO")
        audio();
    else if (line == "SET")
        settings();
    else if (line == "LOGLEVEL")
        log_level();
    else if (line == "LIST VOICES")
        list_voices();
    else if (line == "SPEAK" || line == "CHAR" || line == "KEY" || line == "SOUND_ICON")
        message(line);
    else if (line == "STOP") {
        if (m_speaker)
            m_speaker->stop();
    } else if (line == "PAUSE") {
        if (m_speaker)
            m_speaker->pause();
    } else if (line == "QUIT") {
        if (m_speaker)
            m_speaker->shut_down();
        m_output.say("210 OK QUIT");
        return false;
    } else if (line.startsWith("DEBUG")) {
        m_output.say("200 OK DEBUGGING SET");
    } else {
        m_output.say("300 ERR UNKNOWN COMMAND");
    }
    return true;
}

void ModuleSession::init()
{
    if (!m_started) {
        m_engine.set_fatal_handler([this](const QString &, const QString &text) {
            m_output.say("399-" + text.toUtf8().replace('\n', ' '), "399 ERR CANT INIT MODULE");
        });
        m_engine.deploy();
        const int error = m_engine.start_engine();
        if (error != 0) {
            m_output.say("399-the speech engine did not start (error " + QByteArray::number(error) + ")",
                         "399 ERR CANT INIT MODULE");
            return;
        }
        m_started = true;
        m_params = m_settings.session_params();
        synthesize_blocking(m_engine, m_params, kWarmUp, kWarmUpTimeoutMs);
        m_speaker = std::make_unique<Speaker>(m_engine, m_output);
        m_speaker->set_route(m_route);
    }
    m_output.say("299-Lumeno: the engine is ready, voice " + m_settings.voice(), "299 OK LOADED SUCCESSFULLY");
}

void ModuleSession::audio()
{
    m_output.say("207 OK RECEIVING AUDIO SETTINGS");
    const std::optional<QList<QByteArray>> lines = read_block();
    if (!lines)
        return;
    m_route = Speaker::Route::Server;
    for (const QByteArray &line : *lines) {
        // Without server audio the module plays through the sound output itself.
        if (line.startsWith("audio_output_method=") && line != "audio_output_method=server")
            m_route = Speaker::Route::SoundOutput;
    }
    if (m_speaker)
        m_speaker->set_route(m_route);
    m_output.say("203 OK AUDIO INITIALIZED");
}

void ModuleSession::settings()
{
    m_output.say("203 OK RECEIVING SETTINGS");
    const std::optional<QList<QByteArray>> lines = read_block();
    if (!lines)
        return;
    bool syntax = true;
    bool values = true;
    for (const QByteArray &line : *lines) {
        if (!line.contains('='))
            syntax = false;
        else if (!m_settings.apply(line))
            values = false;
    }
    m_params = m_settings.session_params();
    if (!syntax)
        m_output.say("302 ERROR BAD SYNTAX");
    else if (!values)
        m_output.say("303 ERROR INVALID PARAMETER OR VALUE");
    else
        m_output.say("203 OK SETTINGS RECEIVED");
}

void ModuleSession::log_level()
{
    m_output.say("207 OK RECEIVING LOGLEVEL SETTINGS");
    if (read_block())
        m_output.say("203 OK LOGLEVEL SET");
}

void ModuleSession::list_voices()
{
    QByteArray list;
    for (const ModuleVoice &voice : module_voices())
        list += "200-" + voice.id + '\t' + voice.language + '\t' + voice.type + '\n';
    list += "200 OK VOICE LIST SENT";
    m_output.say(list);
}

void ModuleSession::message(const QByteArray &command)
{
    m_output.say("202 OK RECEIVING MESSAGE");
    const std::optional<QList<QByteArray>> lines = read_block();
    if (!lines)
        return;
    if (!m_speaker || m_speaker->busy()) {
        m_output.say("301 ERROR CANT SPEAK");
        return;
    }
    const MessageKind kind = command == "SPEAK"  ? MessageKind::Text
                             : command == "CHAR" ? MessageKind::Char
                             : command == "KEY"  ? MessageKind::Key
                                                 : MessageKind::SoundIcon;
    const QByteArray document = message_document(kind, lines->join('\n'), m_settings);
    m_output.say("200 OK SPEAKING");
    m_speaker->speak(document, m_params);
}
