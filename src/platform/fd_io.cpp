// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/fd_io.h"

#include <cerrno>
#include <unistd.h>

namespace fd_io {

int write_all_or_reason(int fd, QByteArrayView bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, static_cast<std::size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        done += n;
    }
    return 0;
}

bool write_all(int fd, QByteArrayView bytes)
{
    return write_all_or_reason(fd, bytes) == 0;
}

qsizetype read_some(int fd, char *out, qsizetype max, bool stop_on_signal)
{
    for (;;) {
        const ssize_t n = ::read(fd, out, static_cast<std::size_t>(max));
        if (n < 0 && errno == EINTR && !stop_on_signal)
            continue;
        return n;
    }
}

bool read_exact(int fd, char *out, qsizetype size, bool stop_on_signal)
{
    qsizetype done = 0;
    while (done < size) {
        const qsizetype n = read_some(fd, out + done, size - done, stop_on_signal);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace fd_io
