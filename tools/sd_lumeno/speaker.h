// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "message_document.h"

#include <QByteArray>
#include <QList>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
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
//
// A message without marks streams as the engine speaks it. One with marks is spoken a sentence
// or two at a time, whole, so that screen readers marking every word keep natural phrasing;
// each mark is handed on once the audio before it is, its place in the sentence's audio taken
// from the share of the sentence's characters before it.
class Speaker final {
public:
    enum class Route { Server, SoundOutput };

    Speaker(TtsEngine &engine, ModuleOutput &output);
    ~Speaker();
    Speaker(const Speaker &) = delete;
    Speaker &operator=(const Speaker &) = delete;

    void set_route(Route route) { m_route = route; }

    // False while a message is still being spoken.
    bool speak(QByteArray document, QByteArray params);
    // Nothing more is heard once this returns; 703 STOP follows.
    void stop();
    // Ends the message at its next __spd_ index mark with 704 PAUSE (at its end: 702 END).
    void pause();
    bool busy() const { return m_busy; }

    // Stops what is being spoken and ends the thread.
    void shut_down();

private:
    struct Job {
        QByteArray document; // SSML, UTF-8
        QByteArray params;
        std::uint64_t token = 0;
    };
    enum class Ending { End, Stopped, Paused };

    void run();
    Ending speak_job(const Job &job);
    // Speaks one piece (GBK SSML within the engine's limit); false when stopped or on failure.
    bool speak_piece(const QByteArray &piece, const Job &job, AudioSink *sound);
    // A piece with marks: its audio whole, then handed on mark by mark. Nothing when it ran to
    // its end; otherwise how the message ends.
    std::optional<Ending> speak_marked_piece(const QByteArray &piece, const Job &job, AudioSink *sound,
                                             QList<QByteArray> &marks_left);
    // Synthesises a piece, each piece of audio to `take`; false when stopped or on failure.
    bool synthesize(const QByteArray &piece, const Job &job, const std::function<bool(QByteArrayView)> &take);
    bool hand_on(const Job &job, AudioSink *sound, QByteArrayView pcm);
    // Reports a mark once what stands before it has been heard; how the message ends when it
    // stops or pauses there.
    std::optional<Ending> reach_mark(const QByteArray &mark, AudioSink *sound);
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
