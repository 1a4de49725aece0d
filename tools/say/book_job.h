// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/audio_sink.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

// One text spoken from start to end as a stream: read block by block, split at sentence ends,
// spoken piece by piece by worker processes and handed to the sink in text order, so memory
// stays bounded whatever the text's length.
struct BookSource {
    QString file;      // a file; "-": standard input; empty: text holds the text
    QByteArray text;   // GBK, when there is no file
    bool gbk = false;  // the file or standard input is GBK whatever its bytes look like
    bool ssml = false; // the text is an SSML document: pieces keep its elements whole
};

struct BookWorkers {
    QString program;       // the worker executable
    QStringList arguments; // makes it a worker
    int count = 1;
};

enum class BookResult {
    Done,
    Unreadable,    // the input cannot be read
    NotText,       // NUL bytes or control characters
    NothingToSay,  // empty or blank input, or no audio for it
    EngineFailure, // a worker did not start or the engine failed (message says which)
    SinkFailure,   // the sink refused the audio (its error says why)
    Unencodable,   // the text has characters the announced text encoding cannot hold
    TooDeep,       // SSML nested too deeply to be cut into pieces
    Interrupted,
};

struct BookProgress {
    qint64 done = 0;  // characters of the text whose audio has been written (blanks and markup not counted)
    qint64 total = 0; // such characters in all (reached only at the end); 0 when unknown (standard input)
    double audio_seconds = 0;
};

class BookJob final {
public:
    BookJob(BookSource source, BookWorkers workers, qsizetype piece_limit, quint32 sample_rate);

    // Reads a file input through once (before anything is written): its size in GBK bytes (and
    // its characters, for the progress), or a refusal. Standard input and given texts are checked as they stream.
    BookResult check_input(qint64 *gbk_bytes);

    BookResult run(AudioSink &sink, const std::function<void(const BookProgress &)> &progress);

    // What went wrong, for the messages of Unreadable and EngineFailure.
    const QString &message() const { return m_message; }

private:
    // Sets the message for an input the system would not let us read.
    BookResult unreadable(int reason);

    BookSource m_source;
    BookWorkers m_workers;
    qsizetype m_piece_limit;
    quint32 m_rate;
    QString m_message;
    qint64 m_spoken_total = -1; // spoken characters of a file input, counted by check_input
};
