// SPDX-License-Identifier: GPL-3.0-or-later
#include "punctuation_names.h"

#include <QTest>

class TestPunctuationNames final : public QObject {
    Q_OBJECT

private slots:
    void modes_nameTheirMarksInTheTextOnly_data();
    void modes_nameTheirMarksInTheTextOnly();
};

void TestPunctuationNames::modes_nameTheirMarksInTheTextOnly_data()
{
    QTest::addColumn<QByteArray>("mode");
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<QByteArray>("ssml");
    QTest::addColumn<QByteArray>("named");
    const QByteArray text = "<speak><prosody rate=\"x-fast\">a@b，（c）。</prosody></speak>";
    QTest::newRow("none") << QByteArray("none") << true << text << text;
    QTest::newRow("some") << QByteArray("some") << true << text
                          << QByteArray("<speak><prosody rate=\"x-fast\">a 艾特 b，（c）。</prosody></speak>");
    QTest::newRow("most") << QByteArray("most") << true << text
                          << QByteArray(
                                 "<speak><prosody rate=\"x-fast\">a 艾特 b， 左括号 c 右括号 。</prosody></speak>");
    QTest::newRow("all") << QByteArray("all") << true << text
                         << QByteArray("<speak><prosody rate=\"x-fast\">a 艾特 b 逗号  左括号 c 右括号  句号 "
                                       "</prosody></speak>");
    QTest::newRow("english") << QByteArray("all") << false << QByteArray("<speak>a, b.</speak>")
                             << QByteArray("<speak>a comma  b dot </speak>");
    // Entities are the characters they stand for; markup characters stay entities.
    QTest::newRow("entities") << QByteArray("some") << true << QByteArray("<speak>&lt;x&amp;&gt;y&quot;</speak>")
                              << QByteArray("<speak> 小于 x 和号  大于 y\"</speak>");
    QTest::newRow("outside the basic plane")
        << QByteArray("all") << true << QByteArray("<speak>😀!</speak>") << QByteArray("<speak>😀 叹号 </speak>");
}

void TestPunctuationNames::modes_nameTheirMarksInTheTextOnly()
{
    QFETCH(QByteArray, mode);
    QFETCH(bool, chinese);
    QFETCH(QByteArray, ssml);
    QFETCH(QByteArray, named);
    QCOMPARE(name_punctuation(ssml, mode, chinese), named);
}

QTEST_GUILESS_MAIN(TestPunctuationNames)
#include "test_punctuation_names.moc"
