// SPDX-License-Identifier: GPL-3.0-or-later
// The user's readings file: what a line may hold, and what file is read at all.

#include "user_readings_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using namespace speech;

class TestUserReadings final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void lines_acceptOnlyRealSyllables_data();
    void lines_acceptOnlyRealSyllables();
    void file_tooLargeOrNotRegularIsNotRead_data();
    void file_tooLargeOrNotRegularIsNotRead();

private:
    QString readings_file() const { return m_config.path() + QStringLiteral("/lumeno/readings.txt"); }
    QTemporaryDir m_config;
};

void TestUserReadings::initTestCase()
{
    QVERIFY(m_config.isValid());
    QVERIFY(QDir().mkpath(m_config.path() + QStringLiteral("/lumeno")));
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
    qputenv("LUMENO_READINGS_QUIET", "1");
}

void TestUserReadings::lines_acceptOnlyRealSyllables_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("problem"); // empty: the line is taken
    QTest::newRow("plain") << QByteArray("银行 yin2 hang2") << QByteArray();
    QTest::newRow("longest syllable") << QByteArray("装 zhuang1") << QByteArray();
    QTest::newRow("u-umlaut as v") << QByteArray("绿 lv4") << QByteArray();
    QTest::newRow("no such syllable") << QByteArray("好 xyz3") << QByteArray("\"xyz\" is not a pinyin syllable");
    QTest::newRow("longer than any syllable")
        << QByteArray("装 zhuangg1") << QByteArray("\"zhuangg\" is not a pinyin syllable");
    QTest::newRow("100,000 letters") << "长 " + QByteArray(100000, 'a') + "2"
                                     << QByteArray("\"aaaaaaaa...\" is not a pinyin syllable");
    QTest::newRow("one bad of two") << QByteArray("银行 yin2 hhang2")
                                    << QByteArray("\"hhang\" is not a pinyin syllable");
}

void TestUserReadings::lines_acceptOnlyRealSyllables()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, problem);
    const UserReadings readings = parse_user_readings(std::string_view(line.constData(), std::size_t(line.size())));
    if (problem.isEmpty()) {
        QCOMPARE(readings.words.size(), std::size_t{1});
        QVERIFY(readings.problems.empty());
    } else {
        QVERIFY(readings.words.empty());
        QCOMPARE(readings.problems.size(), std::size_t{1});
        QCOMPARE(QByteArray::fromStdString(readings.problems.front()), "line 1: " + problem);
    }
}

void TestUserReadings::file_tooLargeOrNotRegularIsNotRead_data()
{
    QTest::addColumn<int>("bytes"); // 0: a FIFO
    QTest::addColumn<bool>("read");
    QTest::newRow("1 MiB") << 1024 * 1024 << true;
    QTest::newRow("a byte more") << 1024 * 1024 + 1 << false;
    QTest::newRow("a FIFO") << 0 << false;
}

void TestUserReadings::file_tooLargeOrNotRegularIsNotRead()
{
    QFETCH(int, bytes);
    QFETCH(bool, read);
    QFile::remove(readings_file());
    if (bytes == 0) {
        // Opened as a file would be, a FIFO with no writer would hold the engine for ever.
        QCOMPARE(mkfifo(QFile::encodeName(readings_file()).constData(), 0600), 0);
    } else {
        QFile file(readings_file());
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray line = "银行 yin2 xing2\n#";
        QVERIFY(file.write(line + QByteArray(bytes - line.size(), '#')) == bytes);
    }
    const std::shared_ptr<const UserReadings> readings = current_user_readings();
    QCOMPARE(readings->words.size(), std::size_t{read ? 1u : 0u});
}

QTEST_GUILESS_MAIN(TestUserReadings)
#include "test_user_readings.moc"
