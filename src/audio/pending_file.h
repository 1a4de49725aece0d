// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Where an output is written until it is complete. For a regular file (or a new name) that is
// a fresh file beside the target, renamed over it by commit(), so a broken or interrupted run
// never leaves a partial file under the target's name; it is removed when not committed. A
// target that exists and is not a regular file (a device, a FIFO) is written directly. A
// target the user may not write, or one without any write permission (read-only on purpose,
// even for root), is refused rather than replaced.
class PendingFile final {
public:
    explicit PendingFile(const QString &target);
    PendingFile(const PendingFile &) = delete;
    PendingFile &operator=(const PendingFile &) = delete;
    ~PendingFile();

    // The path to write; empty when the target is refused or no file can be made beside it.
    const QString &path() const { return m_path; }
    // Why path() is empty or commit() failed: "cannot write NAME: the system's reason".
    const QString &error() const { return m_error; }
    // The errno behind error(); 0 while nothing failed.
    int system_error() const { return m_system_error; }
    bool commit();

    // "cannot write NAME: REASON" with the system's text for errno_value.
    static QString write_error(const QString &name, int errno_value);

private:
    void refuse(int errno_value);

    QString m_target;
    QString m_path;
    QString m_error;
    int m_system_error = 0;
    bool m_direct = false;
    bool m_committed = false;
};
