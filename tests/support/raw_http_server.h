// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHostAddress>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

// A loopback HTTP server with one scripted behaviour, for what the real service never does:
// answer too much, answer nothing, answer garbage. It keeps every request as received.
class RawHttpServer final : public QObject {
public:
    enum class Mode { Answer, Silent };

    RawHttpServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                accept(socket);
        });
    }

    // Sends raw (status line, headers and body) to every complete request, then closes.
    void answer_raw(const QByteArray &raw) { m_reply = raw; }
    void answer(const QByteArray &body, const QByteArray &status = "200 OK")
    {
        answer_raw("HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size())
                   + "\r\nConnection: close\r\n\r\n" + body);
    }
    void stay_silent() { m_mode = Mode::Silent; }

    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort())); }
    const QList<QByteArray> &requests() const { return m_requests; }

private:
    static bool complete(const QByteArray &request)
    {
        const qsizetype end = request.indexOf("\r\n\r\n");
        if (end < 0)
            return false;
        qsizetype length = 0;
        for (const QByteArray &line : request.left(end).split('\n')) {
            if (line.toLower().startsWith("content-length:"))
                length = line.mid(15).trimmed().toLongLong();
        }
        return request.size() >= end + 4 + length;
    }

    void accept(QTcpSocket *socket)
    {
        const qsizetype index = m_requests.size();
        m_requests.append(QByteArray());
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, index] {
            m_requests[index] += socket->readAll();
            if (m_mode == Mode::Silent || !complete(m_requests[index]))
                return;
            socket->write(m_reply);
            socket->disconnectFromHost();
        });
    }

    QTcpServer m_server;
    Mode m_mode = Mode::Answer;
    QByteArray m_reply;
    QList<QByteArray> m_requests;
};
