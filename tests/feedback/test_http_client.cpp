// SPDX-License-Identifier: GPL-3.0-or-later
#include "feedback/http_client.h"
#include "raw_http_server.h"

#include <QTest>
#include <QTimer>

using namespace std::chrono_literals;

// The request routine against a loopback server that answers as scripted.
class TestHttpClient final : public QObject {
    Q_OBJECT

private slots:
    void requests_carryAgentDefaultHeadersAndForm();
    void errorStatus_givesEmptyReply();
    void oversizedReply_isCutOff_data();
    void oversizedReply_isCutOff();
    void silentServer_givesUpWhileEventsRun();
    void secondRequestWhileOneRuns_isRefused();
};

void TestHttpClient::requests_carryAgentDefaultHeadersAndForm()
{
    RawHttpServer server;
    server.answer("1");
    HttpClient http;
    QCOMPARE(http.get(server.url()), QByteArray("1"));
    QCOMPARE(http.post(server.url(), "name=a&soft=10"), QByteArray("1"));
    QCOMPARE(server.requests().size(), 2);
    for (const QByteArray &request : server.requests()) {
        QVERIFY(request.contains(" HTTP/1.1\r\n"));
        QVERIFY(request.contains("\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n"));
        QVERIFY(request.contains("\r\nAccept-Language: zh-cn\r\n"));
        QVERIFY(request.contains("\r\nAccept: image/gif, "));
    }
    const QByteArray post = server.requests()[1];
    QVERIFY(post.startsWith("POST / HTTP/1.1\r\n"));
    QVERIFY(post.contains("\r\nContent-Type: application/x-www-form-urlencoded\r\n"));
    QVERIFY(post.contains("\r\nContent-Length: 14\r\n"));
    QVERIFY(post.endsWith("\r\n\r\nname=a&soft=10"));
}

void TestHttpClient::errorStatus_givesEmptyReply()
{
    RawHttpServer server;
    server.answer("1", "500 Internal Server Error");
    HttpClient http;
    QCOMPARE(http.get(server.url()), QByteArray());
}

void TestHttpClient::oversizedReply_isCutOff_data()
{
    QTest::addColumn<QByteArray>("raw");
    const QByteArray big(3 * HttpClient::kReplyLimit, '1');
    QTest::newRow("declared") << "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(big.size()) + "\r\n\r\n"
                                     + big;
    QTest::newRow("undeclared") << "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + big;
}

void TestHttpClient::oversizedReply_isCutOff()
{
    QFETCH(QByteArray, raw);
    RawHttpServer server;
    server.answer_raw(raw);
    HttpClient http;
    QCOMPARE(http.get(server.url()), QByteArray());
    // Just within the bound is whole.
    server.answer(QByteArray(HttpClient::kReplyLimit, 'x'));
    QCOMPARE(http.get(server.url()).size(), HttpClient::kReplyLimit);
}

void TestHttpClient::silentServer_givesUpWhileEventsRun()
{
    RawHttpServer server;
    server.stay_silent();
    HttpClient http(300ms);
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&ticks] { ++ticks; });
    ticker.start(20);
    QCOMPARE(http.get(server.url()), QByteArray());
    QVERIFY(ticks > 0);
    QVERIFY(!http.busy());
}

void TestHttpClient::secondRequestWhileOneRuns_isRefused()
{
    RawHttpServer server;
    server.stay_silent();
    HttpClient http(500ms);
    bool second_ran = false;
    QByteArray second;
    QTimer::singleShot(50, this, [&] {
        second = http.post(server.url(), "x=1");
        second_ran = true;
    });
    http.get(server.url());
    QVERIFY(second_ran);
    QCOMPARE(second, QByteArray());
    QCOMPARE(server.requests().size(), 1);
    QVERIFY(server.requests()[0].startsWith("GET "));
}

QTEST_GUILESS_MAIN(TestHttpClient)
#include "test_http_client.moc"
