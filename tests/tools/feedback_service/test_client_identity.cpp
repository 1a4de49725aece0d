// SPDX-License-Identifier: GPL-3.0-or-later
#include "client_identity.h"

#include <QTest>

class TestClientIdentity final : public QObject {
    Q_OBJECT

private slots:
    void address_believesForwardedForOnlyFromTrustedProxies_data();
    void address_believesForwardedForOnlyFromTrustedProxies();
    void token_isTakenOnlyWhenWellFormed_data();
    void token_isTakenOnlyWhenWellFormed();
    void newToken_isOneThatIsTakenBack();
};

void TestClientIdentity::address_believesForwardedForOnlyFromTrustedProxies_data()
{
    QTest::addColumn<QString>("remote");
    QTest::addColumn<QString>("forwarded");
    QTest::addColumn<QString>("trusted");
    QTest::addColumn<QString>("address");
    QTest::newRow("no proxy trusted") << "10.0.0.2"
                                      << "203.0.113.9"
                                      << ""
                                      << "10.0.0.2";
    QTest::newRow("trusted proxy") << "10.0.0.2"
                                   << "203.0.113.9"
                                   << "10.0.0.2"
                                   << "203.0.113.9";
    QTest::newRow("last entry is the proxy's") << "10.0.0.2"
                                               << "1.2.3.4, 203.0.113.9"
                                               << "10.0.0.2"
                                               << "203.0.113.9";
    QTest::newRow("another proxy") << "10.0.0.3"
                                   << "203.0.113.9"
                                   << "10.0.0.2"
                                   << "10.0.0.3";
    QTest::newRow("IPv4 proxy on a dual-stack socket") << "::ffff:10.0.0.2"
                                                       << "2001:db8::1"
                                                       << "10.0.0.2"
                                                       << "2001:db8::1";
    QTest::newRow("not an address") << "10.0.0.2"
                                    << "evil\r\nX: y"
                                    << "10.0.0.2"
                                    << "10.0.0.2";
    QTest::newRow("empty header") << "10.0.0.2"
                                  << ""
                                  << "10.0.0.2"
                                  << "10.0.0.2";
}

void TestClientIdentity::address_believesForwardedForOnlyFromTrustedProxies()
{
    QFETCH(QString, remote);
    QFETCH(QString, forwarded);
    QFETCH(QString, trusted);
    QFETCH(QString, address);
    QList<QHostAddress> proxies;
    if (!trusted.isEmpty())
        proxies.append(QHostAddress(trusted));
    QCOMPARE(client_identity::address(remote.toStdString(), forwarded.toStdString(), proxies), address);
}

void TestClientIdentity::token_isTakenOnlyWhenWellFormed_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QByteArray>("token");
    const QByteArray good(32, 'a');
    QTest::newRow("alone") << QByteArray("lumeno_client=") + good << good;
    QTest::newRow("among others") << QByteArray("a=1; lumeno_client=") + good + "; b=2" << good;
    QTest::newRow("name as a suffix") << "xlumeno_client=" + good << QByteArray();
    QTest::newRow("too short") << QByteArray("lumeno_client=abc") << QByteArray();
    QTest::newRow("not hex") << "lumeno_client=" + QByteArray(32, 'z') << QByteArray();
    QTest::newRow("none") << QByteArray() << QByteArray();
}

void TestClientIdentity::token_isTakenOnlyWhenWellFormed()
{
    QFETCH(QByteArray, header);
    QFETCH(QByteArray, token);
    QCOMPARE(QByteArray::fromStdString(client_identity::token_of(header.toStdString())), token);
}

void TestClientIdentity::newToken_isOneThatIsTakenBack()
{
    QRandomGenerator random(7);
    const std::string first = client_identity::new_token(random);
    QVERIFY(first != client_identity::new_token(random));
    const std::string cookie = client_identity::cookie_for(first);
    QCOMPARE(client_identity::token_of(cookie.substr(0, cookie.find(';'))), first);
}

QTEST_GUILESS_MAIN(TestClientIdentity)
#include "test_client_identity.moc"
