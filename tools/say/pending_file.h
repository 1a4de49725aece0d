#pragma once

#include <QString>

// Where an output is written until it is complete. For a regular file (or a new name) that is
// a fresh file beside the target, renamed over it by commit(), so a broken or interrupted run
// never leaves a partial file under the target's name; it is removed when not committed. A
// target that exists and is not a regular file (a device, a FIFO) is written directly.
class PendingFile final {
public:
    explicit PendingFile(const QString &target);
    PendingFile(const PendingFile &) = delete;
    PendingFile &operator=(const PendingFile &) = delete;
    ~PendingFile();

    // The path to write; empty when the target is a folder or no file can be made beside it.
    const QString &path() const { return m_path; }
    bool commit();

private:
    QString m_target;
    QString m_path;
    bool m_direct = false;
    bool m_committed = false;
};
