// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/pending_file.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

PendingFile::PendingFile(const QString &target)
    : m_target(target)
{
    const QByteArray native = QFile::encodeName(target);
    struct stat info {};
    if (::stat(native.constData(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            refuse(EISDIR);
            return;
        }
        const bool may_write = ::access(native.constData(), W_OK) == 0;
        const int reason = may_write ? EACCES : errno;
        if (!may_write || (info.st_mode & 0222) == 0) {
            refuse(reason);
            if ((info.st_mode & 0222) == 0)
                m_error += QStringLiteral(" (the file is read-only)");
            return;
        }
        if (!S_ISREG(info.st_mode)) {
            m_direct = true;
            m_path = target;
            return;
        }
    }
    QByteArray pattern = native + ".part-XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        refuse(errno);
        return;
    }
    // A temporary file is private; the output gets what any new file of the user gets.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    ::close(fd);
    m_path = QFile::decodeName(pattern);
}

PendingFile::~PendingFile()
{
    if (!m_committed && !m_direct && !m_path.isEmpty())
        QFile::remove(m_path);
}

bool PendingFile::commit()
{
    if (m_path.isEmpty())
        return false;
    // rename(2) replaces the target in one step; QFile::rename refuses an existing target.
    m_committed =
        m_direct || std::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(m_target).constData()) == 0;
    if (!m_committed)
        refuse(errno);
    return m_committed;
}

void PendingFile::refuse(int errno_value)
{
    m_error = write_error(m_target, errno_value);
    m_system_error = errno_value;
}

QString PendingFile::write_error(const QString &name, int errno_value)
{
    return QStringLiteral("cannot write %1: %2").arg(name, QString::fromLocal8Bit(std::strerror(errno_value)));
}
