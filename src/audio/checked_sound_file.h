// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <sndfile.h>

// The file descriptor an encoder writes through. libsndfile's own file access lets a failed
// write pass unreported (its MP3 writer on a full disk), so the encoder is given these calls
// instead: every write and the close are checked, and the first failure is kept.
class CheckedSoundFile final {
public:
    CheckedSoundFile() = default;
    CheckedSoundFile(const CheckedSoundFile &) = delete;
    CheckedSoundFile &operator=(const CheckedSoundFile &) = delete;
    ~CheckedSoundFile();

    bool open(const QString &path);
    // An encoder writing through this file (null when libsndfile refuses the format).
    SNDFILE *open_sound(SF_INFO &info);
    // Closes the descriptor; false (with error() set) when the system reports a failure.
    bool close();

    // errno of the first failed write or close; 0 while all went well.
    int error() const { return m_error; }

private:
    static sf_count_t file_length(void *self);
    static sf_count_t seek(sf_count_t offset, int whence, void *self);
    static sf_count_t read(void *data, sf_count_t count, void *self);
    static sf_count_t write(const void *data, sf_count_t count, void *self);
    static sf_count_t tell(void *self);

    int m_fd = -1;
    int m_error = 0;
    SF_VIRTUAL_IO m_calls{};
};
