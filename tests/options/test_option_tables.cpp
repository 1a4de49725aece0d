// SPDX-License-Identifier: GPL-3.0-or-later
#include "options/option_tables.h"

#include <QTest>

class TestOptionTables final : public QObject {
    Q_OBJECT

private slots:
    void compressionLevels_dependOnFirstThreeBytes_data();
    void compressionLevels_dependOnFirstThreeBytes();
};

void TestOptionTables::compressionLevels_dependOnFirstThreeBytes_data()
{
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("selected");
    const QString none = QStringLiteral("无压缩");
    QTest::newRow("raw") << QByteArray("raw") << none << none << 1 << none;
    for (const char *amr : {"amr", "amr-fx", "amr-wb", "amr-wb-fx"})
        QTest::newRow(amr) << QByteArray(amr) << QStringLiteral("0") << QStringLiteral("7") << 8 << QStringLiteral("5");
    for (const char *speex : {"speex", "speex-wb"})
        QTest::newRow(speex) << QByteArray(speex) << QStringLiteral("0") << QStringLiteral("10") << 11
                             << QStringLiteral("7");
    QTest::newRow("no encoding") << QByteArray() << QString() << QString() << 0 << QString();
    QTest::newRow("shorter than the prefix") << QByteArray("ra") << QString() << QString() << 0 << QString();
    QTest::newRow("bytes compared exactly") << QByteArray("RAW") << QString() << QString() << 0 << QString();
}

void TestOptionTables::compressionLevels_dependOnFirstThreeBytes()
{
    QFETCH(QByteArray, encoding);
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(int, count);
    QFETCH(QString, selected);
    const option_tables::CompressionLevels levels = option_tables::compression_levels(encoding);
    QCOMPARE(levels.items.size(), count);
    QCOMPARE(levels.selected, selected);
    if (count == 0)
        return;
    QCOMPARE(levels.items.first(), first);
    QCOMPARE(levels.items.last(), last);
    // Numbered levels run 0, 1, 2, ... so a level's text is its position.
    if (count > 1) {
        for (int i = 0; i < count; ++i)
            QCOMPARE(levels.items.at(i), QString::number(i));
    }
}

QTEST_GUILESS_MAIN(TestOptionTables)
#include "test_option_tables.moc"
