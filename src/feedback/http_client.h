// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QUrl>
#include <chrono>

// The program's HTTP request routine (HTTP/1.1, the agent text and default headers the feedback
// service expects). The transfer runs on the network layer's own thread while the caller waits
// in a local event loop, so the window keeps processing events. A request gives up after a
// time-out and a reply is read only up to a bound, so a dead, slow or hostile server can
// neither hang the window nor exhaust memory. One request at a time: a request asked for while
// another runs is refused. Cookies the service sets are kept and returned by the client's jar.
class HttpClient final {
public:
    static constexpr qint64 kReplyLimit = qint64(1) << 20;
    static constexpr std::chrono::milliseconds kDefaultTimeout{15000};

    explicit HttpClient(std::chrono::milliseconds timeout = kDefaultTimeout);

    // The reply body; empty when the request failed, timed out, was answered with an error
    // status, grew beyond limit bytes, or another request was still running.
    QByteArray get(const QUrl &url, qint64 limit = kReplyLimit);
    // A form-encoded POST body.
    QByteArray post(const QUrl &url, const QByteArray &form_body, qint64 limit = kReplyLimit);

    bool busy() const { return m_busy; }

private:
    QByteArray run(const QUrl &url, const QByteArray *post_body, qint64 limit);

    QNetworkAccessManager m_manager;
    std::chrono::milliseconds m_timeout;
    bool m_busy = false;
};
