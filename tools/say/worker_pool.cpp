// SPDX-License-Identifier: GPL-3.0-or-later
#include "say/worker_pool.h"

#include "platform/fd_io.h"
#include "say/batch_protocol.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

void close_fd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

WorkerPool::~WorkerPool()
{
    stop(true);
}

bool WorkerPool::start(const QString &program, const QStringList &arguments, int count)
{
    const QByteArray path = program.toLocal8Bit();
    QList<QByteArray> storage{path};
    for (const QString &argument : arguments)
        storage.append(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    // Every worker reads the user's readings file; only the first reports its problems.
    std::vector<char *> quiet_environment;
    QByteArray quiet = "LUMENO_READINGS_QUIET=1";
    for (char **variable = environ; *variable != nullptr; ++variable)
        quiet_environment.push_back(*variable);
    quiet_environment.push_back(quiet.data());
    quiet_environment.push_back(nullptr);

    for (int i = 0; i < count; ++i) {
        int in[2];
        int out[2];
        if (pipe2(in, O_CLOEXEC) != 0) {
            m_error = errno;
            return false;
        }
        if (pipe2(out, O_CLOEXEC) != 0) {
            m_error = errno;
            ::close(in[0]);
            ::close(in[1]);
            return false;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        Worker w;
        const int spawned = posix_spawn(&w.pid, path.constData(), &actions, nullptr, argv.data(),
                                        i == 0 ? environ : quiet_environment.data());
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        w.to = in[1];
        w.from = out[0];
        if (spawned != 0) {
            m_error = spawned;
            close_fd(w.to);
            close_fd(w.from);
            return false;
        }
        m_workers.append(w);
    }
    return true;
}

bool WorkerPool::send(qint64 batch, const QByteArray &pieces)
{
    return fd_io::write_all(worker(batch).to, batch_protocol::batch_frame(pieces));
}

int WorkerPool::reply_fd(qint64 batch) const
{
    return worker(batch).from;
}

int WorkerPool::wait_status(qint64 batch)
{
    Worker &w = m_workers[static_cast<qsizetype>(batch % count())];
    int status = 0;
    pid_t ended = -1;
    while (w.pid > 0 && (ended = waitpid(w.pid, &status, 0)) < 0 && errno == EINTR) {
    }
    if (ended != w.pid)
        return -1;
    w.pid = -1;
    return status;
}

void WorkerPool::stop(bool kill_now)
{
    for (Worker &w : m_workers) {
        close_fd(w.to);
        if (kill_now && w.pid > 0)
            ::kill(w.pid, SIGKILL);
    }
    for (Worker &w : m_workers) {
        close_fd(w.from);
        while (w.pid > 0 && waitpid(w.pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        w.pid = -1;
    }
    m_workers.clear();
}
