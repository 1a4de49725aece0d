// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/regular_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool open_regular_file(QFile &file, const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    // Checked before opening, so a device is not even opened; checked again on the open file,
    // since the name may have been given to something else in between.
    if (::stat(name.constData(), &info) != 0)
        return false;
    if (!S_ISREG(info.st_mode)) {
        errno = S_ISDIR(info.st_mode) ? EISDIR : 0;
        return false;
    }
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)
        || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}
