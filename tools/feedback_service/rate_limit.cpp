// SPDX-License-Identifier: GPL-3.0-or-later
#include "rate_limit.h"

RateLimit::RateLimit(int allowed, std::chrono::seconds window)
    : m_allowed(allowed)
    , m_window(window)
{
}

bool RateLimit::allow(const std::string &client, Clock::time_point now)
{
    const std::lock_guard guard(m_lock);
    forget_idle(now);
    std::deque<Clock::time_point> &times = m_recent[client];
    while (!times.empty() && now - times.front() >= m_window)
        times.pop_front();
    // A refused request is not counted: a flood does not push the client's window ever forward.
    if (static_cast<int>(times.size()) >= m_allowed)
        return false;
    times.push_back(now);
    return true;
}

void RateLimit::forget_idle(Clock::time_point now)
{
    if (now - m_last_sweep < m_window)
        return;
    m_last_sweep = now;
    std::erase_if(m_recent, [this, now](const auto &item) {
        return item.second.empty() || now - item.second.back() >= m_window;
    });
}
