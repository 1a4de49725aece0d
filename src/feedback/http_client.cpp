// SPDX-License-Identifier: GPL-3.0-or-later
#include "feedback/http_client.h"

#include <QEventLoop>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>

namespace {

constexpr char kAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr char kAccept[] = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
                           "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*";

QNetworkRequest make_request(const QUrl &url)
{
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArray(kAgent));
    request.setRawHeader("Accept", kAccept);
    request.setRawHeader("Accept-Language", "zh-cn");
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    // Nothing is cached: every verification image must be a fresh one.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    return request;
}

} // namespace

HttpClient::HttpClient(std::chrono::milliseconds timeout)
    : m_timeout(timeout)
{
    // The service binds the verification code to a cookie sent with its picture; the jar
    // returns it with the submission, for as long as this client lives.
    m_manager.setCookieJar(new QNetworkCookieJar(&m_manager));
}

QByteArray HttpClient::get(const QUrl &url, qint64 limit)
{
    return run(url, nullptr, limit);
}

QByteArray HttpClient::post(const QUrl &url, const QByteArray &form_body, qint64 limit)
{
    return run(url, &form_body, limit);
}

QByteArray HttpClient::run(const QUrl &url, const QByteArray *post_body, qint64 limit)
{
    if (m_busy || !url.isValid())
        return {};
    m_busy = true;

    QNetworkRequest request = make_request(url);
    QNetworkReply *reply = nullptr;
    if (post_body) {
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/x-www-form-urlencoded"));
        request.setHeader(QNetworkRequest::ContentLengthHeader, post_body->size());
        reply = m_manager.post(request, *post_body);
    } else {
        reply = m_manager.get(request);
    }
    // The network layer buffers no more than one byte past the bound before we look at it.
    reply->setReadBufferSize(limit + 1);

    QByteArray body;
    bool failed = false;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    const auto give_up = [&failed, reply] {
        failed = true;
        reply->abort();
    };
    QObject::connect(&deadline, &QTimer::timeout, reply, give_up);
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, limit, give_up] {
        const QVariant declared = reply->header(QNetworkRequest::ContentLengthHeader);
        if (declared.isValid() && declared.toLongLong() > limit)
            give_up();
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, limit, &body, give_up] {
        body += reply->read(limit + 1 - body.size());
        if (body.size() > limit)
            give_up();
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    deadline.start(m_timeout);
    if (!reply->isFinished())
        loop.exec();

    if (!failed && reply->bytesAvailable() > 0) {
        body += reply->read(limit + 1 - body.size());
        failed = body.size() > limit;
    }
    failed = failed || reply->error() != QNetworkReply::NoError;
    reply->disconnect();
    reply->deleteLater();
    m_busy = false;
    return failed ? QByteArray() : body;
}
