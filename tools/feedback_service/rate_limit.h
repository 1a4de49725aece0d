// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <deque>
#include <map>
#include <mutex>
#include <string>

// At most a number of requests per client within a sliding window of time. Clients whose
// window has emptied are forgotten, so the table stays as small as the recent traffic.
class RateLimit final {
public:
    using Clock = std::chrono::steady_clock;

    RateLimit(int allowed, std::chrono::seconds window);

    // Counts the request and tells whether it is within the limit.
    bool allow(const std::string &client, Clock::time_point now);

private:
    void forget_idle(Clock::time_point now);

    int m_allowed;
    std::chrono::seconds m_window;
    std::mutex m_lock;
    std::map<std::string, std::deque<Clock::time_point>> m_recent;
    Clock::time_point m_last_sweep{};
};
