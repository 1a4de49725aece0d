#include "platform/file_replace.h"

#include <QFile>
#include <QSaveFile>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool write_into_node(const QString &path, QByteArrayView bytes)
{
    // Not waiting in open: a pipe nobody reads would hold the caller (the window) for ever.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // The writes themselves may wait: a reader slower than us is still a reader.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    QFile node;
    if (!node.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return node.write(bytes.data(), bytes.size()) == bytes.size();
}

} // namespace

bool replace_file(const QString &path, QByteArrayView bytes)
{
    struct stat target {};
    if (::stat(QFile::encodeName(path).constData(), &target) == 0 && !S_ISREG(target.st_mode))
        return !S_ISDIR(target.st_mode) && write_into_node(path, bytes);

    QSaveFile file(path);
    // Unbuffered: with a buffer, a short final write (a full disk) slips past commit() in Qt 6.4
    // and a truncated file would replace the good one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(bytes.data(), bytes.size()) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
