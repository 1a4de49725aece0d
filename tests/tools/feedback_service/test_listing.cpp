// SPDX-License-Identifier: GPL-3.0-or-later
#include "listing.h"

#include <QTest>

class TestListing final : public QObject {
    Q_OBJECT

private slots:
    void storedText_reachesTheTerminalEscaped_data();
    void storedText_reachesTheTerminalEscaped();
    void record_escapesEveryStoredText();
};

void TestListing::storedText_reachesTheTerminalEscaped_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << QStringLiteral("声音很好 ok") << QStringLiteral("声音很好 ok");
    QTest::newRow("CR LF and LF are line breaks, tab stays")
        << QStringLiteral("a\r\nb\nc\td") << QStringLiteral("a\nb\nc\td");
    QTest::newRow("terminal controls") << QStringLiteral("\x1b[2J\x07x\ry\x7f")
                                       << QStringLiteral("\\x1B[2J\\x07x\\x0Dy\\x7F");
    QTest::newRow("C1 control") << QString(QChar(0x9b)) + u'm' << QStringLiteral("\\x9Bm");
    QTest::newRow("direction override") << QStringLiteral("a\u202Eb\u2028") << QStringLiteral("a\\u202Eb\\u2028");
    QTest::newRow("a typed escape stays visible") << QStringLiteral("\\x1B") << QStringLiteral("\\\\x1B");
}

void TestListing::storedText_reachesTheTerminalEscaped()
{
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    QCOMPARE(listing::escaped(stored), shown);
}

void TestListing::record_escapesEveryStoredText()
{
    const QString bell = QStringLiteral("\x07");
    const FeedbackRecord record{7, bell, bell, 10, 2, bell, bell, bell + QStringLiteral("%1")};
    const QString text = listing::record_text(record);
    QVERIFY(!text.contains(bell));
    QCOMPARE(text.count(QStringLiteral("\\x07")), 5);
    QVERIFY(text.contains(QStringLiteral("内容：\\x07%1\n")));
}

QTEST_GUILESS_MAIN(TestListing)
#include "test_listing.moc"
