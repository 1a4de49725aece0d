// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <sys/types.h>

// Worker processes that speak batches of text (see batch_worker.h), driven over pipes. Batch n
// goes to worker n % count, so reading the answers worker by worker gives them in text order.
class WorkerPool final {
public:
    WorkerPool() = default;
    WorkerPool(const WorkerPool &) = delete;
    WorkerPool &operator=(const WorkerPool &) = delete;
    ~WorkerPool();

    // Starts count copies of program with arguments. False when one could not be started.
    bool start(const QString &program, const QStringList &arguments, int count);
    int count() const { return static_cast<int>(m_workers.size()); }
    // errno of the failed start.
    int error() const { return m_error; }

    // Sends batch number `batch` (its pieces joined by the protocol's separator).
    bool send(qint64 batch, const QByteArray &pieces);
    int reply_fd(qint64 batch) const;
    // How the worker of this batch ended, once its answers broke off: waits for it and gives
    // its wait status (-1 when it cannot be had).
    int wait_status(qint64 batch);

    // Ends the workers: closes their input and waits for them; with kill_now, kills them first.
    void stop(bool kill_now);

private:
    struct Worker {
        pid_t pid = -1;
        int to = -1;
        int from = -1;
    };
    const Worker &worker(qint64 batch) const { return m_workers[static_cast<qsizetype>(batch % count())]; }
    QList<Worker> m_workers;
    int m_error = 0;
};
