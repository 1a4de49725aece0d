// SPDX-License-Identifier: GPL-3.0-or-later
#include "guarded_server.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::seconds kWriteTimeout{10};
constexpr std::chrono::seconds kDrainTime{1};
constexpr std::size_t kDrainLimit = 256 * 1024;

std::string numeric_host(const sockaddr_storage &address, socklen_t length)
{
    char host[NI_MAXHOST] = {};
    if (::getnameinfo(reinterpret_cast<const sockaddr *>(&address), length, host, sizeof host, nullptr, 0,
                      NI_NUMERICHOST)
        != 0)
        return {};
    std::string text = host;
    // An IPv4 client of a dual-stack socket is named as IPv4, as every other part expects.
    if (text.rfind("::ffff:", 0) == 0 && text.find('.') != std::string::npos)
        text.erase(0, 7);
    return text;
}

int port_of(const sockaddr_storage &address)
{
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in &>(address).sin_port);
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6 &>(address).sin6_port);
    return 0;
}

// A connection read up to a deadline, with what was read ahead of the library served first.
class DeadlineStream final : public httplib::Stream {
public:
    DeadlineStream(socket_t sock, Clock::time_point deadline)
        : m_sock(sock)
        , m_deadline(deadline)
    {
    }

    void put_back(std::string bytes) { m_ahead = std::move(bytes); }

    bool is_readable() const override { return m_offset < m_ahead.size() || wait(POLLIN, m_deadline); }
    bool is_writable() const override { return wait(POLLOUT, Clock::now() + kWriteTimeout); }

    ssize_t read(char *ptr, size_t size) override
    {
        if (m_offset < m_ahead.size()) {
            const std::size_t n = std::min(size, m_ahead.size() - m_offset);
            std::memcpy(ptr, m_ahead.data() + m_offset, n);
            m_offset += n;
            return ssize_t(n);
        }
        return receive(ptr, size);
    }

    // Reads straight from the connection, waiting no later than the deadline; -1 when it passed.
    ssize_t receive(char *ptr, size_t size) const
    {
        if (!wait(POLLIN, m_deadline))
            return -1;
        ssize_t n;
        do
            n = ::recv(m_sock, ptr, size, 0);
        while (n < 0 && errno == EINTR);
        return n;
    }

    ssize_t write(const char *ptr, size_t size) override
    {
        if (!is_writable())
            return -1;
        ssize_t n;
        do
            n = ::send(m_sock, ptr, size, MSG_NOSIGNAL);
        while (n < 0 && errno == EINTR);
        return n;
    }

    void get_remote_ip_and_port(std::string &ip, int &port) const override
    {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (::getpeername(m_sock, reinterpret_cast<sockaddr *>(&address), &length) == 0) {
            ip = numeric_host(address, length);
            port = port_of(address);
        }
    }

    void get_local_ip_and_port(std::string &ip, int &port) const override
    {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (::getsockname(m_sock, reinterpret_cast<sockaddr *>(&address), &length) == 0) {
            ip = numeric_host(address, length);
            port = port_of(address);
        }
    }

    socket_t socket() const override { return m_sock; }

    bool deadline_passed() const { return Clock::now() >= m_deadline; }

private:
    bool wait(short events, Clock::time_point until) const
    {
        for (;;) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
            if (left <= 0)
                return false;
            pollfd entry{m_sock, events, 0};
            const int ready = ::poll(&entry, 1, int(std::min<long long>(left, 1000 * 60)));
            if (ready > 0)
                return true;
            if (ready < 0 && errno != EINTR)
                return false;
        }
    }

    socket_t m_sock;
    Clock::time_point m_deadline;
    std::string m_ahead;
    std::size_t m_offset = 0;
};

enum class Head { Whole, TooLarge, Late, Gone };

// Reads up to the blank line that ends the head; what follows it is kept in bytes too.
Head read_head(DeadlineStream &stream, std::string &bytes)
{
    char chunk[4096];
    for (;;) {
        const std::size_t end = bytes.find("\r\n\r\n");
        const std::size_t bare_end = bytes.find("\n\n");
        const std::size_t head_end =
            std::min(end == std::string::npos ? end : end + 4, bare_end == std::string::npos ? bare_end : bare_end + 2);
        const std::size_t head_size = std::min(head_end, bytes.size());
        const auto lines = std::count(bytes.begin(), bytes.begin() + std::ptrdiff_t(head_size), '\n');
        if (head_size > GuardedServer::kHeadLimit || lines > GuardedServer::kHeaderLineLimit + 2)
            return Head::TooLarge;
        if (head_end != std::string::npos)
            return Head::Whole;
        const ssize_t n = stream.receive(chunk, sizeof chunk);
        if (n <= 0)
            return stream.deadline_passed() ? Head::Late : Head::Gone;
        bytes.append(chunk, std::size_t(n));
    }
}

void refuse(DeadlineStream &stream, const char *status)
{
    const std::string reply = std::string("HTTP/1.1 ") + status + "\r\nConnection: close\r\nContent-Length: 0\r\n\r\n";
    stream.write(reply.data(), reply.size());
    // Closing with unread bytes would reset the connection and could destroy the answer before
    // the client reads it: take a little more of what it is still sending first.
    ::shutdown(stream.socket(), SHUT_WR);
    char sink[4096];
    const auto until = Clock::now() + kDrainTime;
    for (std::size_t drained = 0; drained < kDrainLimit && Clock::now() < until;) {
        pollfd entry{stream.socket(), POLLIN, 0};
        if (::poll(&entry, 1, 100) <= 0)
            continue;
        const ssize_t n = ::recv(stream.socket(), sink, sizeof sink, 0);
        if (n <= 0)
            break;
        drained += std::size_t(n);
    }
}

} // namespace

GuardedServer::GuardedServer(std::chrono::milliseconds deadline)
    : m_deadline(deadline)
{
    new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
    // The library's default adds SO_REUSEPORT, which lets a second service bind the same port
    // and take half of the clients to another database.
    set_socket_options([](socket_t sock) {
        const int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
}

int GuardedServer::bind(const std::string &host, int port, std::string &error)
{
    errno = 0;
    const int bound = port == 0 ? bind_to_any_port(host) : (bind_to_port(host, port) ? port : -1);
    if (bound < 0)
        error = errno == EADDRINUSE ? "address in use" : errno != 0 ? std::strerror(errno) : "cannot bind";
    return bound;
}

bool GuardedServer::process_and_close_socket(socket_t sock)
{
    DeadlineStream stream(sock, Clock::now() + m_deadline);
    std::string bytes;
    bool served = false;
    switch (read_head(stream, bytes)) {
    case Head::Whole: {
        stream.put_back(std::move(bytes));
        bool closed = false;
        served = process_request(stream, true, closed, [](httplib::Request &request) { request.ranges.clear(); });
        break;
    }
    case Head::TooLarge:
        refuse(stream, "431 Request Header Fields Too Large");
        break;
    case Head::Late:
        refuse(stream, "408 Request Timeout");
        break;
    case Head::Gone:
        break;
    }
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    return served;
}
