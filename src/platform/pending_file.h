// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Durable flushes the new file to disk before it takes the old one's place, so that not even a
// power cut leaves a torn file under the name: for what a user keeps. Unflushed skips that wait
// (several milliseconds a file here) for copies that are compared with what they must hold at
// every use and written again when they differ.
enum class FileSync { Durable, Unflushed };

// Where a file is written until it is complete: the one way this program replaces a file.
//
// For a regular file (or a new name) that is a fresh file beside the target, renamed over it by
// commit(), so a failed or interrupted write never leaves a partial file under the target's
// name; it is removed when not committed. The new file keeps the old one's permissions, or gets
// what any new file of the user gets. A symbolic link is followed: the file it names is
// replaced and the link stays.
//
// A target that exists and is not a regular file is never replaced: a device or a pipe is
// written into directly (direct()), as any Unix tool does, and a folder is refused. So is a
// target the user may not write, or one without any write permission (read-only on purpose,
// even for root).
class PendingFile final {
public:
    PendingFile(const QString &target, FileSync sync);
    PendingFile(const PendingFile &) = delete;
    PendingFile &operator=(const PendingFile &) = delete;
    ~PendingFile();

    // The path to write; empty when the target is refused or no file can be made beside it.
    const QString &path() const { return m_path; }
    // The target itself is written: a device or a pipe.
    bool direct() const { return m_direct; }
    // Why path() is empty or commit() failed: "cannot write NAME: the system's reason".
    const QString &error() const { return m_error; }
    // The errno behind error(); 0 while nothing failed.
    int system_error() const { return m_system_error; }
    // Call once everything is written to path() and closed.
    bool commit();

    // "cannot write NAME: REASON" with the system's text for errno_value.
    static QString write_error(const QString &name, int errno_value);

private:
    bool refuse(int errno_value);
    bool check_existing(const QByteArray &native, unsigned &mode);
    bool flush_to_disk() const;

    QString m_target;
    QByteArray m_written; // the target's file name as the system knows it, links followed
    QString m_path;
    QString m_error;
    FileSync m_sync;
    int m_system_error = 0;
    bool m_direct = false;
    bool m_committed = false;
};
