// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/pending_file.h"

#include <QFile>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The file a symbolic link leads to, so that replacing it keeps the link; the name itself for
// anything else, a link that leads nowhere included.
QByteArray followed(const QByteArray &native)
{
    struct stat link {};
    if (::lstat(native.constData(), &link) != 0 || !S_ISLNK(link.st_mode))
        return native;
    char resolved[PATH_MAX];
    return ::realpath(native.constData(), resolved) != nullptr ? QByteArray(resolved) : native;
}

mode_t new_file_mode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

PendingFile::PendingFile(const QString &target, FileSync sync)
    : m_target(target)
    , m_written(followed(QFile::encodeName(target)))
    , m_sync(sync)
{
    unsigned mode = new_file_mode();
    if (!check_existing(m_written, mode) || m_direct)
        return;
    QByteArray pattern = m_written + ".part-XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        refuse(errno);
        return;
    }
    // A temporary file is private; the result is not.
    ::fchmod(fd, static_cast<mode_t>(mode));
    ::close(fd);
    m_path = QFile::decodeName(pattern);
}

// False when the target is refused; sets m_direct for a device or pipe, and mode to an existing
// file's permissions.
bool PendingFile::check_existing(const QByteArray &native, unsigned &mode)
{
    struct stat info {};
    if (::stat(native.constData(), &info) != 0)
        return true;
    if (S_ISDIR(info.st_mode))
        return refuse(EISDIR);
    const bool may_write = ::access(native.constData(), W_OK) == 0;
    const int reason = may_write ? EACCES : errno;
    if (!may_write || (info.st_mode & 0222) == 0) {
        refuse(reason);
        if ((info.st_mode & 0222) == 0)
            m_error += QStringLiteral(" (the file is read-only)");
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        m_direct = true;
        m_path = QFile::decodeName(native);
        return true;
    }
    mode = info.st_mode & 0777;
    return true;
}

PendingFile::~PendingFile()
{
    if (!m_committed && !m_direct && !m_path.isEmpty())
        ::unlink(QFile::encodeName(m_path).constData());
}

bool PendingFile::flush_to_disk() const
{
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool flushed = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    errno = error;
    return flushed;
}

bool PendingFile::commit()
{
    if (m_path.isEmpty() || m_committed)
        return m_committed;
    if (m_direct)
        return m_committed = true;
    if (m_sync == FileSync::Durable && !flush_to_disk())
        return refuse(errno);
    // rename(2) replaces the target in one step; QFile::rename refuses an existing target.
    if (std::rename(QFile::encodeName(m_path).constData(), m_written.constData()) != 0)
        return refuse(errno);
    return m_committed = true;
}

bool PendingFile::refuse(int errno_value)
{
    m_error = write_error(m_target, errno_value);
    m_system_error = errno_value;
    return false;
}

QString PendingFile::write_error(const QString &name, int errno_value)
{
    return QStringLiteral("cannot write %1: %2").arg(name, QString::fromLocal8Bit(std::strerror(errno_value)));
}
