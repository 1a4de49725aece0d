#pragma once

#include "message_document.h"

#include <QByteArray>
#include <QList>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>

class AudioSink;
class ModuleOutput;
class TtsEngine;

// Speaks one message at a time on a thread of its own, so the module keeps reading commands
// while it speaks. Audio goes to the server as 705 blocks or, when the server does not take
// audio, to the sound output. It reports 701 BEGIN, the index marks as the audio reaches them,
// and 702 END, 703 STOP or 704 PAUSE.
class Speaker final {
public:
    enum class Route { Server, SoundOutput };

    Speaker(TtsEngine &engine, ModuleOutput &output);
    ~Speaker();
    Speaker(const Speaker &) = delete;
    Speaker &operator=(const Speaker &) = delete;

    void set_route(Route route) { m_route = route; }

    // False while a message is still being spoken.
    bool speak(QList<SpeechPart> parts, QByteArray params);
    // Nothing more is heard once this returns; 703 STOP follows.
    void stop();
    // Ends the message at its next __spd_ index mark with 704 PAUSE (at its end: 702 END).
    void pause();
    bool busy() const { return m_busy; }

    // Stops what is being spoken and ends the thread.
    void shut_down();

private:
    struct Job {
        QList<SpeechPart> parts;
        QByteArray params;
        std::uint64_t token = 0;
    };
    enum class Ending { End, Stopped, Paused };

    void run();
    Ending speak_job(const Job &job);
    // False when stopped or when the engine failed.
    bool speak_piece(const QByteArray &piece, const Job &job, AudioSink *sound);
    void report(Ending ending);

    TtsEngine &m_engine;
    ModuleOutput &m_output;
    std::atomic<Route> m_route = Route::Server;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<Job> m_job;
    bool m_quit = false;
    std::atomic<bool> m_busy = false;
    std::atomic<bool> m_stop = false;
    std::atomic<bool> m_pause = false;
    std::thread m_thread;
};
