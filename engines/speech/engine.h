// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The state behind the six exported functions.

#include "codec_library.h"
#include "engine_config.h"
#include "session.h"
#include "speech_worker.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace speech {

class Engine final {
public:
    static Engine &instance();

    int init(const char *configs);
    const char *begin_session(const char *params, int *error);
    int put_text(const char *session_id, const char *text, unsigned int length);
    const void *get_audio(const char *session_id, unsigned int *length, int *status, int *error);
    int end_session(const char *session_id);
    int fini();

private:
    Engine() = default;
    ~Engine();

    // The session with this id, or null with error set.
    std::shared_ptr<Session> find(const char *session_id, int &error);

    std::mutex m_mutex; // guards everything below; the worker has its own locks
    bool m_initialised = false;
    EngineConfig m_config;
    std::unique_ptr<CodecLibrary> m_codec;
    SpeechWorker m_worker;
    std::map<std::string, std::shared_ptr<Session>, std::less<>> m_sessions;
    unsigned long m_sessions_begun = 0; // never reset, so ids stay unique across QTTSFini
};

} // namespace speech
