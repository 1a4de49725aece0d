#include "say/interrupt.h"

#include <atomic>
#include <csignal>

namespace interrupt {
namespace {

std::atomic<bool> g_requested{false};

void on_signal(int /*signal*/)
{
    g_requested.store(true);
}

} // namespace

void install()
{
    struct sigaction action = {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A worker that died shows as a failed write, not as the end of the tool.
    std::signal(SIGPIPE, SIG_IGN);
}

bool requested()
{
    return g_requested.load();
}

} // namespace interrupt
