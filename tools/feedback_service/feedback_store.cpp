// SPDX-License-Identifier: GPL-3.0-or-later
#include "feedback_store.h"

#include <sqlite3.h>

namespace {

constexpr char kSchema[] = "CREATE TABLE IF NOT EXISTS feedback ("
                           " id INTEGER PRIMARY KEY,"
                           " received TEXT NOT NULL,"
                           " client TEXT NOT NULL,"
                           " software INTEGER NOT NULL,"
                           " type INTEGER NOT NULL,"
                           " name TEXT NOT NULL,"
                           " mail TEXT NOT NULL,"
                           " content TEXT NOT NULL)";

void bind_text(sqlite3_stmt *statement, int index, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

QString column_text(sqlite3_stmt *statement, int index)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, index));
    return QString::fromUtf8(text, sqlite3_column_bytes(statement, index));
}

} // namespace

FeedbackStore::FeedbackStore(const QString &path, Access access)
{
    const QByteArray file = path.toUtf8();
    const int mode = access == Access::Read ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    if (sqlite3_open_v2(file.constData(), &m_db, mode | SQLITE_OPEN_FULLMUTEX, nullptr) != SQLITE_OK) {
        m_error = QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : "out of memory");
        sqlite3_close(m_db);
        m_db = nullptr;
        return;
    }
    sqlite3_busy_timeout(m_db, 5000);
    if (access == Access::Read)
        return;
    // SQLite falls back to reading when the file cannot be written; every submission would
    // then fail. A write transaction also proves the journal beside the file can be made.
    if (sqlite3_db_readonly(m_db, "main") == 1) {
        m_error = QStringLiteral("%1 is read-only").arg(path);
        sqlite3_close(m_db);
        m_db = nullptr;
        return;
    }
    // Write-ahead log with a sync at every commit: a commit that returned is on disk.
    if (!exec("PRAGMA journal_mode=WAL") || !exec("PRAGMA synchronous=FULL") || !exec(kSchema)
        || !exec("BEGIN IMMEDIATE") || !exec("ROLLBACK")) {
        sqlite3_close(m_db);
        m_db = nullptr;
    }
}

FeedbackStore::~FeedbackStore()
{
    sqlite3_close(m_db);
}

bool FeedbackStore::exec(const char *sql)
{
    char *message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    m_error = QString::fromUtf8(message ? message : sqlite3_errmsg(m_db));
    sqlite3_free(message);
    return false;
}

bool FeedbackStore::add(const FeedbackRecord &r)
{
    const std::lock_guard guard(m_lock);
    if (!m_db)
        return false;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(m_db,
                           "INSERT INTO feedback (received, client, software, type, name, mail, content)"
                           " VALUES (?, ?, ?, ?, ?, ?, ?)",
                           -1, &statement, nullptr)
        != SQLITE_OK) {
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        return false;
    }
    bind_text(statement, 1, r.received);
    bind_text(statement, 2, r.client);
    sqlite3_bind_int64(statement, 3, r.software);
    sqlite3_bind_int64(statement, 4, r.type);
    bind_text(statement, 5, r.name);
    bind_text(statement, 6, r.mail);
    bind_text(statement, 7, r.content);
    const bool done = sqlite3_step(statement) == SQLITE_DONE;
    if (!done)
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
    sqlite3_finalize(statement);
    return done;
}

QList<FeedbackRecord> FeedbackStore::list()
{
    const std::lock_guard guard(m_lock);
    QList<FeedbackRecord> records;
    sqlite3_stmt *statement = nullptr;
    if (!m_db
        || sqlite3_prepare_v2(m_db,
                              "SELECT id, received, client, software, type, name, mail, content"
                              " FROM feedback ORDER BY id",
                              -1, &statement, nullptr)
               != SQLITE_OK)
        return records;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        records.append({sqlite3_column_int64(statement, 0), column_text(statement, 1), column_text(statement, 2),
                        sqlite3_column_int64(statement, 3), sqlite3_column_int64(statement, 4),
                        column_text(statement, 5), column_text(statement, 6), column_text(statement, 7)});
    }
    sqlite3_finalize(statement);
    return records;
}
