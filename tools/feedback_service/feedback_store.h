// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <mutex>

struct sqlite3;

struct FeedbackRecord {
    qint64 id = 0;
    QString received; // ISO 8601, UTC
    QString client;   // the sender's address
    qint64 software = 0;
    qint64 type = 0;
    QString name;
    QString mail;
    QString content;
};

// The stored feedback: one SQLite database. Every record is one transaction written through
// to disk before it counts as stored, so a crash or a kill mid-write loses at most the record
// being written and never the file.
class FeedbackStore final {
public:
    enum class Access { Write, Read };

    // For writing, the store must be writable: a database that could be opened only for
    // reading is refused at once, not at the first submission.
    explicit FeedbackStore(const QString &path, Access access = Access::Write);
    ~FeedbackStore();
    FeedbackStore(const FeedbackStore &) = delete;
    FeedbackStore &operator=(const FeedbackStore &) = delete;

    bool is_open() const { return m_db != nullptr; }
    QString error() const { return m_error; }

    bool add(const FeedbackRecord &record);
    // Every record, oldest first.
    QList<FeedbackRecord> list();

private:
    bool exec(const char *sql);

    std::mutex m_lock;
    sqlite3 *m_db = nullptr;
    QString m_error;
};
