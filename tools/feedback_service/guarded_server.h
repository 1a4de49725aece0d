// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <httplib.h>
#include <string>

// The HTTP server of the feedback service: cpp-httplib's routing and replies, with the request
// read under rules that keep one client from starving the others or the memory:
//   - the request head is read here, bounded in bytes and lines (431 beyond them);
//   - the whole request, head and body, arrives within a deadline from its connection (408);
//   - more workers than the library's default, so a few slow clients cannot take them all;
//   - no range requests: a Range header is ignored and the whole content sent;
//   - the port is bound without SO_REUSEPORT, so a second service on it is refused.
class GuardedServer final : public httplib::Server {
public:
    static constexpr std::size_t kHeadLimit = 16 * 1024;
    static constexpr int kHeaderLineLimit = 64;
    static constexpr std::size_t kWorkers = 32;

    explicit GuardedServer(std::chrono::milliseconds deadline);

    // The bound port (any free one for port 0), or -1 with the system's reason in error.
    int bind(const std::string &host, int port, std::string &error);

private:
    bool process_and_close_socket(socket_t sock) override;

    std::chrono::milliseconds m_deadline;
};
