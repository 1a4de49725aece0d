// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration text of QTTSInit.

#include "engine_config.h"

#include <QTest>

using speech::parse_engine_config;

class TestEngineConfig : public QObject {
    Q_OBJECT

private slots:
    void parse_readsTheProgramsConfiguration();
    void parse_acceptsKeysInAnyOrder();
    void parse_rejectsMalformedText_data();
    void parse_rejectsMalformedText();
};

namespace {

constexpr const char *program_config =
    "server_url=tts.example.com:80/index.htm,appid=4e5a8b2c,timeout=10000,coding_libs=libmsc_speex.so,"
    "max_text_size=2048";

} // namespace

void TestEngineConfig::parse_readsTheProgramsConfiguration()
{
    const auto config = parse_engine_config(program_config);
    QVERIFY(config.has_value());
    QCOMPARE(config->server_url, std::string("tts.example.com:80/index.htm"));
    QCOMPARE(config->appid, std::string("4e5a8b2c"));
    QCOMPARE(config->timeout_ms, 10000UL);
    QCOMPARE(config->coding_libs, std::string("libmsc_speex.so"));
    QCOMPARE(config->max_text_size, std::size_t(2048));
}

void TestEngineConfig::parse_acceptsKeysInAnyOrder()
{
    const auto config = parse_engine_config(
        "max_text_size=100,coding_libs=/opt/x/codec.so,timeout=5,appid=00000000,server_url=localhost");
    QVERIFY(config.has_value());
    QCOMPARE(config->max_text_size, std::size_t(100));
    QCOMPARE(config->coding_libs, std::string("/opt/x/codec.so"));
    QCOMPARE(config->timeout_ms, 5UL);
}

void TestEngineConfig::parse_rejectsMalformedText_data()
{
    QTest::addColumn<QByteArray>("text");
    const QByteArray url = "server_url=host:80/index.htm";
    const QByteArray appid = "appid=abcd1234";
    const QByteArray timeout = "timeout=10000";
    const QByteArray codec = "coding_libs=libmsc_speex.so";
    const QByteArray size = "max_text_size=2048";
    const auto join = [](const QList<QByteArray> &pairs) { return pairs.join(','); };

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("no server_url") << join({appid, timeout, codec, size});
    QTest::newRow("no appid") << join({url, timeout, codec, size});
    QTest::newRow("no timeout") << join({url, appid, codec, size});
    QTest::newRow("no coding_libs") << join({url, appid, timeout, size});
    QTest::newRow("no max_text_size") << join({url, appid, timeout, codec});
    QTest::newRow("unknown key") << join({url, appid, timeout, codec, size, "engine=x"});
    QTest::newRow("key twice") << join({url, appid, appid, timeout, codec, size});
    QTest::newRow("trailing comma") << join({url, appid, timeout, codec, size}) + ',';
    QTest::newRow("pair without =") << join({url, appid, timeout, codec, size, "verbose"});
    QTest::newRow("space after comma") << join({url, appid, timeout, codec, " " + size});
    QTest::newRow("appid 7 chars") << join({url, "appid=abcd123", timeout, codec, size});
    QTest::newRow("appid 9 chars") << join({url, "appid=abcd12345", timeout, codec, size});
    QTest::newRow("appid capitals") << join({url, "appid=ABCD1234", timeout, codec, size});
    QTest::newRow("appid punctuation") << join({url, "appid=abcd-234", timeout, codec, size});
    QTest::newRow("timeout with unit") << join({url, appid, "timeout=10s", codec, size});
    QTest::newRow("timeout negative") << join({url, appid, "timeout=-1", codec, size});
    QTest::newRow("timeout zero") << join({url, appid, "timeout=0", codec, size});
    QTest::newRow("timeout empty") << join({url, appid, "timeout=", codec, size});
    QTest::newRow("timeout overflow") << join({url, appid, "timeout=99999999999999999999999", codec, size});
    QTest::newRow("size not a number") << join({url, appid, timeout, codec, "max_text_size=2k"});
    QTest::newRow("size zero") << join({url, appid, timeout, codec, "max_text_size=0"});
    QTest::newRow("size beyond a megabyte") << join({url, appid, timeout, codec, "max_text_size=1048577"});
    QTest::newRow("codec empty") << join({url, appid, timeout, "coding_libs=", size});
    QTest::newRow("url empty") << join({"server_url=", appid, timeout, codec, size});
    QTest::newRow("url port not numeric") << join({"server_url=host:http/index.htm", appid, timeout, codec, size});
    QTest::newRow("url without host") << join({"server_url=:80/index.htm", appid, timeout, codec, size});
}

void TestEngineConfig::parse_rejectsMalformedText()
{
    QFETCH(QByteArray, text);
    QVERIFY(!parse_engine_config(std::string_view(text.constData(), std::size_t(text.size()))).has_value());
}

QTEST_GUILESS_MAIN(TestEngineConfig)
#include "test_engine_config.moc"
