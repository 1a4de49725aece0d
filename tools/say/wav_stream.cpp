// SPDX-License-Identifier: GPL-3.0-or-later
#include "say/wav_stream.h"

#include "audio/wav_file.h"
#include "platform/fd_io.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

WavStream::WavStream(const QString &target, const PcmFormat &format, qint64 max_data)
    // Like any tool writing a file, it leaves the flush to disk to the system: a book's WAV
    // is hundreds of megabytes, and waiting for it would add seconds to every run.
    : m_pending(target, FileSync::Unflushed)
    , m_target(target)
    , m_format(format)
    , m_max_data(max_data)
{
    if (m_pending.path().isEmpty()) {
        fail(m_pending.error());
        return;
    }
    m_fd = ::open(QFile::encodeName(m_pending.path()).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (m_fd < 0) {
        failed_with(errno);
        return;
    }
    m_open = !failed_with(fd_io::write_all_or_reason(m_fd, WavFile::header(m_format, 0)));
}

WavStream::~WavStream()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool WavStream::failed_with(int reason)
{
    if (reason == 0)
        return false;
    fail(PendingFile::write_error(m_target, reason));
    return true;
}

bool WavStream::write(QByteArrayView pcm)
{
    if (!m_open)
        return false;
    if (m_data + pcm.size() > m_max_data)
        return fail(QStringLiteral("the speech is longer than a WAV file can hold (4 GiB); "
                                   "use --split-minutes or a compressed format such as .flac or .mp3"));
    if (failed_with(fd_io::write_all_or_reason(m_fd, pcm)))
        return false;
    m_data += pcm.size();
    return true;
}

bool WavStream::finish()
{
    if (!m_open)
        return false;
    m_open = false;
    // A device or a pipe is written in place, and its header cannot be rewritten.
    if (!m_pending.direct()) {
        const QByteArray sized = WavFile::header(m_format, static_cast<quint32>(m_data));
        if (::lseek(m_fd, 0, SEEK_SET) != 0)
            return !failed_with(errno);
        if (failed_with(fd_io::write_all_or_reason(m_fd, sized)))
            return false;
    }
    // Some file systems report a failed write only at the close.
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0 && errno != EINTR)
        return !failed_with(errno);
    return m_pending.commit() || fail(m_pending.error());
}
