// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/file_replace.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSaveFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Cleans up after a failed call without losing the errno it left, which tells the caller why.
template <typename Cleanup> bool fail_keeping_errno(Cleanup cleanup)
{
    const int error = errno;
    cleanup();
    errno = error;
    return false;
}

// Writes all of bytes into fd, which it takes over and closes; false on any failure, closing
// included (a full disk may only show there).
bool write_and_close(int fd, QByteArrayView bytes)
{
    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle))
        return fail_keeping_errno([fd] { ::close(fd); });
    if (file.write(bytes.data(), bytes.size()) != bytes.size())
        return fail_keeping_errno([&file] { file.close(); });
    file.close();
    return file.error() == QFileDevice::NoError;
}

bool write_into_node(const QString &path, QByteArrayView bytes)
{
    // Not waiting in open: a pipe nobody reads would hold the caller (the window) for ever.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // The writes themselves may wait: a reader slower than us is still a reader.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return write_and_close(fd, bytes);
}

// The same as QSaveFile, less its flush to disk.
bool write_beside_and_rename(const QByteArray &target, QByteArrayView bytes)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QByteArray beside = target + ".new-" + QByteArray::number(::getpid()) + '-'
                                  + QByteArray::number(QRandomGenerator::global()->generate(), 16);
        // 0666 less the umask, as any new file gets: a library in a shared folder is for everyone.
        const int fd = ::open(beside.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return false;
        if (write_and_close(fd, bytes) && ::rename(beside.constData(), target.constData()) == 0)
            return true;
        return fail_keeping_errno([&beside] { ::unlink(beside.constData()); });
    }
    return false;
}

} // namespace

bool replace_file(const QString &path, QByteArrayView bytes, FileSync sync)
{
    const QByteArray target = QFile::encodeName(path);
    struct stat existing {};
    if (::stat(target.constData(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        if (!S_ISDIR(existing.st_mode))
            return write_into_node(path, bytes);
        errno = EISDIR;
        return false;
    }
    if (sync == FileSync::Unflushed)
        return write_beside_and_rename(target, bytes);

    QSaveFile file(path);
    // Unbuffered: with a buffer, a short final write (a full disk) slips past commit() in Qt 6.4
    // and a truncated file would replace the good one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(bytes.data(), bytes.size()) != bytes.size())
        return fail_keeping_errno([&file] { file.cancelWriting(); });
    return file.commit();
}
