// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/checked_sound_file.h"

#include "platform/fd_io.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

CheckedSoundFile::~CheckedSoundFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool CheckedSoundFile::open(const QString &path)
{
    // Read as well as written: encoders read back what they wrote to fill in their headers.
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_TRUNC | O_CLOEXEC);
    if (m_fd < 0)
        m_error = errno;
    return m_fd >= 0;
}

SNDFILE *CheckedSoundFile::open_sound(SF_INFO &info)
{
    m_calls = {&file_length, &seek, &read, &write, &tell};
    return sf_open_virtual(&m_calls, SFM_WRITE, &info, this);
}

bool CheckedSoundFile::close()
{
    const int fd = std::exchange(m_fd, -1);
    if (fd >= 0 && ::close(fd) != 0 && errno != EINTR && m_error == 0)
        m_error = errno;
    return m_error == 0;
}

sf_count_t CheckedSoundFile::file_length(void *self)
{
    struct stat info {};
    return ::fstat(static_cast<CheckedSoundFile *>(self)->m_fd, &info) == 0 ? info.st_size : -1;
}

sf_count_t CheckedSoundFile::seek(sf_count_t offset, int whence, void *self)
{
    return ::lseek(static_cast<CheckedSoundFile *>(self)->m_fd, offset, whence);
}

sf_count_t CheckedSoundFile::read(void *data, sf_count_t count, void *self)
{
    const ssize_t n = ::read(static_cast<CheckedSoundFile *>(self)->m_fd, data, static_cast<std::size_t>(count));
    return n < 0 ? 0 : n;
}

sf_count_t CheckedSoundFile::write(const void *data, sf_count_t count, void *self)
{
    auto *file = static_cast<CheckedSoundFile *>(self);
    // After a failure nothing more is written: the file is dropped anyway.
    if (file->m_error == 0)
        file->m_error = fd_io::write_all_or_reason(file->m_fd, QByteArrayView(static_cast<const char *>(data), count));
    return file->m_error == 0 ? count : 0;
}

sf_count_t CheckedSoundFile::tell(void *self)
{
    return ::lseek(static_cast<CheckedSoundFile *>(self)->m_fd, 0, SEEK_CUR);
}
