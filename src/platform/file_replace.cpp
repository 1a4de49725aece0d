// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/file_replace.h"

#include "platform/fd_io.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// 0 when bytes are in pending's file and it has taken the target's place, else the errno.
int write_pending(PendingFile &pending, QByteArrayView bytes)
{
    if (pending.path().isEmpty())
        return pending.system_error();
    // Not waiting in open: a pipe nobody reads would hold the caller for ever.
    const int flags = O_WRONLY | O_NOCTTY | O_CLOEXEC | (pending.direct() ? O_NONBLOCK : 0);
    const int fd = ::open(QFile::encodeName(pending.path()).constData(), flags);
    if (fd < 0)
        return errno;
    // The writes themselves may wait: a reader slower than us is still a reader.
    if (pending.direct())
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    int error = fd_io::write_all_or_reason(fd, bytes);
    // A full disk may show only at the close.
    if (::close(fd) != 0 && errno != EINTR && error == 0)
        error = errno;
    if (error == 0 && !pending.commit())
        error = pending.system_error();
    return error;
}

} // namespace

bool replace_file(const QString &path, QByteArrayView bytes, FileSync sync)
{
    int error = 0;
    {
        PendingFile pending(path, sync);
        error = write_pending(pending, bytes);
    }
    // Set after the pending file is gone: removing it may change errno.
    errno = error;
    return error == 0;
}
