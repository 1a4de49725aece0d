// SPDX-License-Identifier: GPL-3.0-or-later
#include "say/book_job.h"

#include "engine/blocking_synthesis.h"
#include "say/fd_io.h"
#include "say/interrupt.h"
#include "say/piece_protocol.h"
#include "say/spoken_characters.h"
#include "say/worker_pool.h"
#include "text/sentence_split.h"
#include "text/text_to_gbk.h"

#include <QFile>
#include <QFileInfo>
#include <QQueue>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr qsizetype kReadBlock = 64 * 1024;
// Pieces waiting at each worker: one being spoken and one ready to start.
constexpr int kQueuedPerWorker = 2;
// Audio of later pieces held while an earlier one is still being spoken. A pipe holds only
// 64 KiB (two seconds of speech), so without this every worker but the one in front would
// wait, and the pieces would be spoken one after another. About two pieces' audio at 16 kHz.
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
            m_at_end = true;
            out += m_text;
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
    // The next answer for piece front, waiting for it while taking in what other workers send.
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
            const piece_protocol::Reply reply = piece_protocol::read_reply(fds[i].fd, frame.audio, frame.result);
            // A worker that broke off counts only once its own piece is the one awaited.
            if (reply == piece_protocol::Reply::Broken) {
                m_ended[workers[i]] = true;
                continue;
            }
            if (reply == piece_protocol::Reply::End)
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

} // namespace

BookJob::BookJob(BookSource source, BookWorkers workers, qsizetype piece_limit, quint32 sample_rate)
    : m_source(std::move(source))
    , m_workers(std::move(workers))
    , m_piece_limit(piece_limit)
    , m_rate(sample_rate)
{
}

BookResult BookJob::unreadable(int reason)
{
    const QString name = m_source.file == u"-" ? QStringLiteral("standard input") : m_source.file;
    m_message = QStringLiteral("cannot read %1: %2").arg(name, QString::fromLocal8Bit(std::strerror(reason)));
    return BookResult::Unreadable;
}

BookResult BookJob::check_input(qint64 *gbk_bytes)
{
    *gbk_bytes = -1;
    if (m_source.file.isEmpty() || m_source.file == u"-")
        return BookResult::Done;
    if (const QFileInfo info(m_source.file); info.exists() && !info.isFile()) {
        m_message = QStringLiteral("%1 is not a file").arg(m_source.file);
        return BookResult::Unreadable;
    }
    Reader reader(m_source);
    if (!reader.opened())
        return unreadable(reader.error());
    qint64 size = 0;
    SpokenCharacters spoken(m_source.ssml);
    while (!reader.at_end()) {
        if (interrupt::requested())
            return BookResult::Interrupted;
        QByteArray gbk;
        const Reader::Step step = reader.next(gbk);
        if (step == Reader::Step::Error)
            return interrupt::requested() ? BookResult::Interrupted : unreadable(reader.error());
        if (step == Reader::Step::NotText)
            return BookResult::NotText;
        size += gbk.size();
        spoken.feed(gbk);
    }
    *gbk_bytes = size;
    m_spoken_total = spoken.count();
    return BookResult::Done;
}

BookResult BookJob::run(AudioSink &sink, const std::function<void(const BookProgress &)> &progress)
{
    Reader reader(m_source);
    if (!reader.opened())
        return unreadable(reader.error());
    // Progress counts the characters whose audio has been written; unknown for standard input.
    const qint64 total = m_source.file.isEmpty() ? SpokenCharacters::of(m_source.text, m_source.ssml)
                                                 : std::max<qint64>(m_spoken_total, 0);

    WorkerPool pool;
    if (!pool.start(m_workers.program, m_workers.arguments, m_workers.count)) {
        m_message = QStringLiteral("cannot start the speech workers: %1")
                        .arg(QString::fromLocal8Bit(std::strerror(pool.error())));
        return BookResult::EngineFailure;
    }
    const std::unique_ptr<EngineSplitter> splitter = EngineSplitter::create(m_source.ssml, m_piece_limit);
    QQueue<QList<qint64>> batch_characters; // spoken characters of each piece of each batch in flight
    qint64 spoken = 0;
    qint64 sent = 0;
    qint64 done = 0;
    qint64 audio_bytes = 0;
    const qint64 window = qint64{pool.count()} * kQueuedPerWorker;
    HeldReplies held(pool);
    QList<QByteArray> batch; // pieces waiting for the rest of their batch
    const auto audio_seconds = [this](qint64 bytes) { return static_cast<double>(bytes) / (m_rate * 2.0); };
    const auto stop = [&](BookResult result) {
        pool.stop(true);
        return result;
    };

    for (;;) {
        if (interrupt::requested())
            return stop(BookResult::Interrupted);
        // Keep every worker busy; wait for input only when no piece is under way.
        while (sent - done < window) {
            while (splitter->has_piece() && batch.size() < piece_protocol::kPiecesPerBatch)
                batch.append(splitter->take_piece());
            const bool last = reader.at_end() && !splitter->has_piece() && !batch.isEmpty();
            if (batch.size() == piece_protocol::kPiecesPerBatch || last) {
                if (!pool.send(sent++, batch.join(piece_protocol::kPieceSeparator)))
                    return stop(BookResult::EngineFailure);
                QList<qint64> characters;
                for (const QByteArray &piece : batch)
                    characters.append(SpokenCharacters::of(piece, m_source.ssml));
                batch_characters.enqueue(characters);
                batch.clear();
                continue;
            }
            if (reader.at_end() || (sent > done && !reader.ready_now()))
                break;
            QByteArray gbk;
            const Reader::Step step = reader.next(gbk);
            if (step == Reader::Step::NotText)
                return stop(BookResult::NotText);
            if (step == Reader::Step::Error)
                return stop(interrupt::requested() ? BookResult::Interrupted : unreadable(reader.error()));
            splitter->feed(gbk);
            if (reader.at_end())
                splitter->finish();
            if (splitter->too_deep())
                return stop(BookResult::TooDeep);
            if (interrupt::requested())
                return stop(BookResult::Interrupted);
        }
        if (sent == done)
            break;

        // A batch is answered piece by piece, so parts and progress still follow the pieces.
        for (const qint64 characters : batch_characters.dequeue()) {
            QByteArray audio;
            qint32 engine_result = 0;
            for (;;) {
                const HeldReplies::Next next = held.next(done, audio, engine_result);
                if (next == HeldReplies::Next::Broken) {
                    if (interrupt::requested())
                        return stop(BookResult::Interrupted);
                    m_message = QStringLiteral("a speech worker ended unexpectedly");
                    return stop(BookResult::EngineFailure);
                }
                if (next == HeldReplies::Next::End)
                    break;
                audio_bytes += audio.size();
                if (!sink.write(audio))
                    return stop(interrupt::requested() ? BookResult::Interrupted : BookResult::SinkFailure);
            }
            if (engine_result == kUnrepresentable)
                return stop(BookResult::Unencodable);
            if (engine_result != 0) {
                m_message = QStringLiteral("synthesis failed (error %1)").arg(engine_result);
                return stop(BookResult::EngineFailure);
            }
            if (!sink.sentence_end())
                return stop(BookResult::SinkFailure);
            // The whole only once the last piece is written, whatever the count of the pieces.
            spoken += characters;
            if (progress)
                progress({total > 0 ? std::min(spoken, total - 1) : spoken, total, audio_seconds(audio_bytes)});
        }
        ++done;
    }
    if (progress && total > 0)
        progress({total, total, audio_seconds(audio_bytes)});
    pool.stop(false);
    return audio_bytes == 0 ? BookResult::NothingToSay : BookResult::Done;
}
