// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/audio_sink.h"
#include "platform/pcm_format.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// One text spoken from start to end as a stream: read block by block, split at sentence ends
// into pieces, sent batch by batch to worker processes, and handed to the sink in text order.
// A file is decoded once and held as GBK (a million-character novel is 2 MB); standard input
// streams, so memory stays bounded however long it runs.
//
// The words for amounts, the same throughout lumeno-say:
//   text:  block (one read of the input), sentence, piece (what the engine speaks in one
//          session, at most the text limit), batch (kPiecesPerBatch pieces for one fresh start)
//   audio: block (what is handed on at once), frame (one message on a worker's pipe),
//          part (one file of an output cut with --split-minutes)
// The input is read, and a text in memory handed to the splitter, in blocks of this size.
inline constexpr qsizetype kReadBlock = 64 * 1024;

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
    Streamed, // load_input only: standard input, read and checked only as it is spoken
};

struct BookProgress {
    qint64 done = 0;  // characters of the text whose audio has been written (blanks and markup not counted)
    qint64 total = 0; // such characters in all (reached only at the end); 0 when unknown (standard input)
    double audio_seconds = 0;
};

class BookJob final {
public:
    BookJob(BookSource source, BookWorkers workers, qsizetype piece_limit, const PcmFormat &format);
    ~BookJob();
    BookJob(const BookJob &) = delete;
    BookJob &operator=(const BookJob &) = delete;

    // Reads and decodes a file input whole, before anything is written; run() then speaks it
    // from memory. Done with its size in GBK bytes (and its characters counted for the
    // progress), as for a given text; Streamed (size -1) for standard input; or a refusal.
    BookResult load_input(qint64 *gbk_bytes);

    BookResult run(AudioSink &sink, const std::function<void(const BookProgress &)> &progress);

    // What went wrong, for the messages of Unreadable and EngineFailure.
    const QString &message() const { return m_message; }

private:
    struct Flight;
    // Sends batches until every worker has enough to do or the input has no more for now.
    // Nothing while the job goes on; else how it ended.
    std::optional<BookResult> send_batches(Flight &flight);
    // Writes the audio of the oldest batch sent, piece by piece, telling `spoken` the
    // characters written so far after each.
    std::optional<BookResult> write_front_batch(Flight &flight, AudioSink &sink,
                                                const std::function<void(qint64)> &spoken);
    std::optional<BookResult> write_piece(Flight &flight, AudioSink &sink);
    // Sets the message for an input the system would not let us read.
    BookResult unreadable(int reason);

    BookSource m_source;
    BookWorkers m_workers;
    qsizetype m_piece_limit;
    PcmFormat m_format; // of the audio the workers send
    QString m_message;
    bool m_loaded = false;      // load_input read the file: m_source.text holds it
    qint64 m_spoken_total = -1; // spoken characters of the text, counted by load_input
};
