// SPDX-License-Identifier: GPL-3.0-or-later
#include "say/interrupt.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace interrupt {
namespace {

std::atomic<bool> g_requested{false};
int g_pipe[2] = {-1, -1};

void on_signal(int /*signal*/)
{
    const int saved = errno;
    g_requested.store(true);
    if (g_pipe[1] >= 0) {
        // A full pipe has been told already: the result does not matter.
        const ssize_t written = ::write(g_pipe[1], "!", 1);
        static_cast<void>(written);
    }
    errno = saved;
}

} // namespace

void install()
{
    // Non-blocking both ways: a full pipe already says what the handler has to say.
    if (g_pipe[0] < 0 && pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        g_pipe[0] = g_pipe[1] = -1;
    struct sigaction action = {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A closed terminal or a logout: the same stop, so no partial file is left behind.
    sigaction(SIGHUP, &action, nullptr);
    // A worker that died shows as a failed write, not as the end of the tool.
    std::signal(SIGPIPE, SIG_IGN);
}

bool requested()
{
    return g_requested.load();
}

int wake_fd()
{
    return g_pipe[0];
}

} // namespace interrupt
