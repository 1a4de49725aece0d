// SPDX-License-Identifier: GPL-3.0-or-later
#include "say/book_job.h"

#include "engine/blocking_synthesis.h"
#include "platform/fd_io.h"
#include "platform/gbk.h"
#include "say/batch_protocol.h"
#include "say/interrupt.h"
#include "say/spoken_characters.h"
#include "say/worker_pool.h"
#include "text/sentence_split.h"
#include "text/text_to_gbk.h"

#include <QFile>
#include <QFileInfo>
#include <QQueue>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Batches waiting at each worker: one being spoken and one ready to start.
constexpr int kQueuedPerWorker = 2;
// Audio of later batches held while an earlier one is still being spoken. A pipe holds only
// 64 KiB (two seconds of speech), so without this every worker but the one in front would
// wait, and the batches would be spoken one after another. About two pieces' audio at 16 kHz.
constexpr qsizetype kHeldAudioBytes = 20 * 1024 * 1024;

// The input as a file descriptor, read block by block through the decoder.
class Reader final {
public:
    explicit Reader(const BookSource &source)
        : m_decoder(source.gbk ? TextToGbk::Encoding::Gbk : TextToGbk::Encoding::Undecided)
        , m_text(source.text)
    {
        if (source.file.isEmpty())
            return;
        m_fd = source.file == u"-" ? STDIN_FILENO
                                   : ::open(QFile::encodeName(source.file).constData(), O_RDONLY | O_CLOEXEC);
        m_owned = m_fd != STDIN_FILENO;
        if (m_fd < 0)
            m_error = errno;
    }
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;
    ~Reader()
    {
        if (m_owned && m_fd >= 0)
            ::close(m_fd);
    }

    bool opened() const { return m_fd >= 0 || m_fd == kNoFile; }
    // errno of the failed open or read.
    int error() const { return m_error; }
    bool at_end() const { return m_at_end; }

    bool ready_now() const
    {
        if (m_fd < 0)
            return true;
        pollfd p{m_fd, POLLIN, 0};
        return ::poll(&p, 1, 0) > 0;
    }

    enum class Step { Ok, Error, NotText };
    // Reads the next block (waiting for it) and appends its GBK to out.
    Step next(QByteArray &out)
    {
        if (m_fd == kNoFile) {
            // A text in memory goes in blocks too, so the splitter holds no more than it would
            // for a file, each block ending between two GBK characters.
            qsizetype end = m_offset;
            while (end < m_text.size() && end - m_offset < kReadBlock)
                end += gbk::char_length(m_text, end);
            out += QByteArrayView(m_text).sliced(m_offset, end - m_offset);
            m_offset = end;
            m_at_end = m_offset == m_text.size();
            return Step::Ok;
        }
        // A pipe may keep the tool waiting for ever: the wait ends with an interrupt.
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {interrupt::wake_fd(), POLLIN, 0}};
        if (::poll(fds, fds[1].fd >= 0 ? 2 : 1, -1) < 0 || fds[1].revents != 0)
            return interrupt::requested() ? Step::Error : Step::Ok;
        char buffer[kReadBlock];
        const qsizetype n = fd_io::read_some(m_fd, buffer, kReadBlock);
        if (n < 0) {
            m_error = errno;
            return Step::Error;
        }
        if (n == 0) {
            m_at_end = true;
            return m_decoder.finish(out) ? Step::Ok : Step::NotText;
        }
        return m_decoder.feed(QByteArrayView(buffer, n), out) ? Step::Ok : Step::NotText;
    }

private:
    static constexpr int kNoFile = -2;
    TextToGbk m_decoder;
    QByteArray m_text;
    qsizetype m_offset = 0; // of the next block of m_text
    int m_fd = kNoFile;
    int m_error = 0;
    bool m_owned = false;
    bool m_at_end = false;
};

// What the workers have answered and the tool not yet passed on, worker by worker in the
// order it came.
class HeldReplies final {
public:
    explicit HeldReplies(const WorkerPool &pool)
        : m_pool(pool)
        , m_queues(pool.count())
        , m_ended(pool.count(), false)
    {
    }

    enum class Next { Audio, End, Broken };
    // The next answer for batch `front`, waiting for it while taking in what other workers send.
    Next next(qint64 front, QByteArray &audio, qint32 &result)
    {
        const qsizetype worker = static_cast<qsizetype>(front % m_pool.count());
        while (m_queues[worker].isEmpty()) {
            if (m_ended[worker] || !read_some(worker))
                return Next::Broken;
        }
        Frame frame = m_queues[worker].dequeue();
        m_bytes -= frame.audio.size();
        if (frame.audio.isEmpty()) {
            result = frame.result;
            return Next::End;
        }
        audio = std::move(frame.audio);
        return Next::Audio;
    }

private:
    struct Frame {
        QByteArray audio; // empty for the end frame
        qint32 result = 0;
    };

    // Waits until the front worker, or another one while little audio is held, has answered,
    // and takes one frame from each that has. False when interrupted.
    bool read_some(qsizetype front)
    {
        // The interrupt's descriptor comes first, so a signal just before the wait still ends it.
        QList<pollfd> fds{{interrupt::wake_fd(), POLLIN, 0}};
        QList<qsizetype> workers{-1};
        for (qsizetype w = 0; w < m_queues.size(); ++w) {
            if (w == front || (!m_ended[w] && m_bytes < kHeldAudioBytes)) {
                fds.append({m_pool.reply_fd(w), POLLIN, 0});
                workers.append(w);
            }
        }
        if (::poll(fds.data(), static_cast<nfds_t>(fds.size()), -1) < 0)
            return errno == EINTR && !interrupt::requested();
        if (fds[0].revents != 0)
            return false;
        for (qsizetype i = 1; i < fds.size(); ++i) {
            if (fds[i].revents == 0)
                continue;
            Frame frame;
            const batch_protocol::Reply reply = batch_protocol::read_reply(fds[i].fd, frame.audio, frame.result);
            // A worker that broke off counts only once its own batch is the one awaited.
            if (reply == batch_protocol::Reply::Broken) {
                m_ended[workers[i]] = true;
                continue;
            }
            if (reply == batch_protocol::Reply::End)
                frame.audio.clear();
            m_bytes += frame.audio.size();
            m_queues[workers[i]].enqueue(std::move(frame));
        }
        return true;
    }

    const WorkerPool &m_pool;
    QList<QQueue<Frame>> m_queues;
    QList<bool> m_ended;
    qsizetype m_bytes = 0;
};

// Why a worker's answers broke off, from its wait status.
QString worker_ending(int status)
{
    const auto signal_name = [](int signal) {
        return QStringLiteral("signal %1 (%2)").arg(signal).arg(QString::fromLocal8Bit(strsignal(signal)));
    };
    if (status >= 0 && WIFSIGNALED(status))
        return QStringLiteral("a speech worker was killed by %1").arg(signal_name(WTERMSIG(status)));
    const int code = status >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (code == batch_protocol::kSpeakerDiedExit)
        return QStringLiteral("the process speaking a batch ended before the batch was complete");
    if (code > batch_protocol::kSpeakerDiedExit && code < 128)
        return QStringLiteral("the process speaking a batch was killed by %1")
            .arg(signal_name(code - batch_protocol::kSpeakerDiedExit));
    return QStringLiteral("a speech worker ended unexpectedly (exit status %1)").arg(code);
}

} // namespace

// The batches under way during run(), and what has been spoken of them.
struct BookJob::Flight {
    Flight(const BookSource &source, qsizetype piece_limit)
        : reader(source)
        , splitter(EngineSplitter::create(source.ssml, piece_limit))
    {
    }

    Reader reader;
    std::unique_ptr<EngineSplitter> splitter;
    WorkerPool pool;
    std::optional<HeldReplies> held;
    QList<QByteArray> batch;                // pieces waiting for the rest of their batch
    QQueue<QList<qint64>> batch_characters; // spoken characters of each piece of each batch sent
    qint64 sent = 0;                        // batches sent
    qint64 done = 0;                        // batches written
    qint64 spoken = 0;                      // characters whose audio has been written
    qint64 audio_bytes = 0;
};

BookJob::BookJob(BookSource source, BookWorkers workers, qsizetype piece_limit, const PcmFormat &format)
    : m_source(std::move(source))
    , m_workers(std::move(workers))
    , m_piece_limit(piece_limit)
    , m_format(format)
{
}

BookJob::~BookJob() = default;

BookResult BookJob::unreadable(int reason)
{
    const QString name = m_source.file == u"-" ? QStringLiteral("standard input") : m_source.file;
    m_message = QStringLiteral("cannot read %1: %2").arg(name, QString::fromLocal8Bit(std::strerror(reason)));
    return BookResult::Unreadable;
}

BookResult BookJob::load_input(qint64 *gbk_bytes)
{
    *gbk_bytes = -1;
    if (m_source.file == u"-")
        return BookResult::Streamed;
    if (!m_source.file.isEmpty()) {
        if (const QFileInfo info(m_source.file); info.exists() && !info.isFile()) {
            m_message = QStringLiteral("%1 is not a file").arg(m_source.file);
            return BookResult::Unreadable;
        }
        Reader reader(m_source);
        if (!reader.opened())
            return unreadable(reader.error());
        QByteArray gbk;
        while (!reader.at_end()) {
            if (interrupt::requested())
                return BookResult::Interrupted;
            const Reader::Step step = reader.next(gbk);
            if (step == Reader::Step::Error)
                return interrupt::requested() ? BookResult::Interrupted : unreadable(reader.error());
            if (step == Reader::Step::NotText)
                return BookResult::NotText;
        }
        // Spoken from memory from now on; the name stays for messages.
        m_source.text = std::move(gbk);
        m_loaded = true;
    }
    *gbk_bytes = m_source.text.size();
    m_spoken_total = SpokenCharacters::of(m_source.text, m_source.ssml);
    return BookResult::Done;
}

BookResult BookJob::run(AudioSink &sink, const std::function<void(const BookProgress &)> &progress)
{
    BookSource source = m_source;
    if (m_loaded)
        source.file.clear();
    Flight flight(source, m_piece_limit);
    if (!flight.reader.opened())
        return unreadable(flight.reader.error());
    // Progress counts the characters whose audio has been written; unknown for standard input.
    const qint64 total = m_spoken_total >= 0     ? m_spoken_total
                         : source.file.isEmpty() ? SpokenCharacters::of(source.text, source.ssml)
                                                 : 0;
    if (!flight.pool.start(m_workers.program, m_workers.arguments, m_workers.count)) {
        m_message = QStringLiteral("cannot start the speech workers: %1")
                        .arg(QString::fromLocal8Bit(std::strerror(flight.pool.error())));
        return BookResult::EngineFailure;
    }
    flight.held.emplace(flight.pool);
    const auto report = [&](qint64 spoken) {
        if (progress)
            progress({spoken, total, static_cast<double>(flight.audio_bytes) / m_format.bytes_per_second()});
    };
    for (;;) {
        std::optional<BookResult> ended = send_batches(flight);
        if (!ended && flight.sent == flight.done)
            break;
        if (!ended)
            ended = write_front_batch(flight, sink, [&](qint64 spoken) {
                // The whole only once the last piece is written, whatever the count of the pieces.
                report(total > 0 ? std::min(spoken, total - 1) : spoken);
            });
        if (ended) {
            flight.pool.stop(true);
            return *ended;
        }
    }
    if (total > 0)
        report(total);
    flight.pool.stop(false);
    return flight.audio_bytes == 0 ? BookResult::NothingToSay : BookResult::Done;
}

std::optional<BookResult> BookJob::send_batches(Flight &flight)
{
    // Keep every worker busy; wait for input only when no batch is under way.
    const qint64 window = qint64{flight.pool.count()} * kQueuedPerWorker;
    while (flight.sent - flight.done < window) {
        if (interrupt::requested())
            return BookResult::Interrupted;
        EngineSplitter &splitter = *flight.splitter;
        while (splitter.has_piece() && flight.batch.size() < batch_protocol::kPiecesPerBatch)
            flight.batch.append(splitter.take_piece());
        const bool last = flight.reader.at_end() && !splitter.has_piece() && !flight.batch.isEmpty();
        if (flight.batch.size() == batch_protocol::kPiecesPerBatch || last) {
            if (!flight.pool.send(flight.sent++, flight.batch.join(batch_protocol::kPieceSeparator)))
                return BookResult::EngineFailure;
            QList<qint64> characters;
            for (const QByteArray &piece : std::as_const(flight.batch))
                characters.append(SpokenCharacters::of(piece, m_source.ssml));
            flight.batch_characters.enqueue(characters);
            flight.batch.clear();
            continue;
        }
        if (flight.reader.at_end() || (flight.sent > flight.done && !flight.reader.ready_now()))
            break;
        QByteArray gbk;
        const Reader::Step step = flight.reader.next(gbk);
        if (step == Reader::Step::NotText)
            return BookResult::NotText;
        if (step == Reader::Step::Error)
            return interrupt::requested() ? BookResult::Interrupted : unreadable(flight.reader.error());
        splitter.feed(gbk);
        if (flight.reader.at_end())
            splitter.finish();
        if (splitter.too_deep())
            return BookResult::TooDeep;
    }
    return interrupt::requested() ? std::optional(BookResult::Interrupted) : std::nullopt;
}

std::optional<BookResult> BookJob::write_front_batch(Flight &flight, AudioSink &sink,
                                                     const std::function<void(qint64)> &spoken)
{
    // A batch is answered piece by piece, so parts and progress still follow the pieces.
    for (const qint64 characters : flight.batch_characters.dequeue()) {
        if (const std::optional<BookResult> failed = write_piece(flight, sink))
            return failed;
        if (!sink.sentence_end())
            return BookResult::SinkFailure;
        flight.spoken += characters;
        spoken(flight.spoken);
    }
    ++flight.done;
    return std::nullopt;
}

std::optional<BookResult> BookJob::write_piece(Flight &flight, AudioSink &sink)
{
    QByteArray audio;
    qint32 result = 0;
    for (;;) {
        const HeldReplies::Next next = flight.held->next(flight.done, audio, result);
        if (next == HeldReplies::Next::End)
            break;
        if (next == HeldReplies::Next::Broken) {
            if (interrupt::requested())
                return BookResult::Interrupted;
            m_message = worker_ending(flight.pool.wait_status(flight.done));
            return BookResult::EngineFailure;
        }
        flight.audio_bytes += audio.size();
        if (!sink.write(audio))
            return interrupt::requested() ? BookResult::Interrupted : BookResult::SinkFailure;
    }
    if (result == 0)
        return std::nullopt;
    if (result == kUnrepresentable)
        return BookResult::Unencodable;
    m_message = QStringLiteral("synthesis failed (error %1)").arg(result);
    return BookResult::EngineFailure;
}
