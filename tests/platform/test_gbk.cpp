// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gbk.h"

#include <QTest>

class TestGbk final : public QObject {
    Q_OBJECT

private slots:
    void encode_matchesGbkBytes();
    void encode_keepsCharactersOutsideGbk();
    void removeSpaces_data();
    void removeSpaces();
    void cut_data();
    void cut();
    void find_neverMatchesInsideDoubleByteCharacter();
    void replaceAll_leavesLookalikeBytesInsideCharacters();
    void textLength_data();
    void textLength();
};

void TestGbk::encode_matchesGbkBytes()
{
    // 中 = D6 D0, 文 = CE C4 in GBK; ASCII passes unchanged.
    QCOMPARE(gbk::encode(QStringLiteral("a中文")), QByteArray("a\xD6\xD0\xCE\xC4"));
    QCOMPARE(gbk::decode(QByteArray("a\xD6\xD0\xCE\xC4")), QStringLiteral("a中文"));
    QCOMPARE(gbk::encode(QStringLiteral("请在这里输入要合成的文本")).size(), 24);
}

void TestGbk::encode_keepsCharactersOutsideGbk()
{
    const QString emoji = QStringLiteral("笑😀");
    const QByteArray bytes = gbk::encode(emoji);
    QCOMPARE(bytes.size(), 2 + 4);
    QVERIFY(!bytes.contains('?'));
    QCOMPARE(gbk::decode(bytes), emoji);
    QCOMPARE(gbk::char_length(bytes, 2), 4);
}

void TestGbk::removeSpaces_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("half-width") << QByteArray(" a b ") << QByteArray("ab");
    QTest::newRow("full-width") << QByteArray("\xA1\xA1"
                                              "a\xA1\xA1")
                                << QByteArray("a");
    QTest::newRow("only spaces") << QByteArray(" \xA1\xA1 ") << QByteArray();
    QTest::newRow("line breaks stay") << QByteArray("\r\n\t") << QByteArray("\r\n\t");
    // B0 A1 + A1 B0: the A1 A1 in the middle belongs to two different characters.
    QTest::newRow("A1 A1 across characters") << QByteArray("\xB0\xA1\xA1\xB0") << QByteArray("\xB0\xA1\xA1\xB0");
    // A double-byte character whose second byte is 20 is kept whole.
    QTest::newRow("20 as second byte") << QByteArray("\x81\x20x") << QByteArray("\x81\x20x");
}

void TestGbk::removeSpaces()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    QCOMPARE(gbk::remove_spaces(input), expected);
}

void TestGbk::cut_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("short") << QByteArray("abc") << 5 << QByteArray("abc");
    QTest::newRow("ascii") << QByteArray("abcdef") << 4 << QByteArray("abcd");
    QTest::newRow("whole character") << QByteArray("a\xD6\xD0") << 3 << QByteArray("a\xD6\xD0");
    QTest::newRow("half character dropped") << QByteArray("ab\xD6\xD0") << 3 << QByteArray("ab");
    QTest::newRow("four-byte dropped whole") << gbk::encode(QStringLiteral("a😀")) << 4 << QByteArray("a");
    QTest::newRow("zero") << QByteArray("abc") << 0 << QByteArray();
}

void TestGbk::cut()
{
    QFETCH(QByteArray, input);
    QFETCH(int, limit);
    QFETCH(QByteArray, expected);
    QCOMPARE(gbk::cut(input, limit), expected);
}

void TestGbk::find_neverMatchesInsideDoubleByteCharacter()
{
    // "\xB0\x3E" is one character whose second byte is '>': no match may start there.
    const QByteArray text("\xB0><br><x><br><");
    QCOMPARE(gbk::find(text, "><br><"), 8);
    QCOMPARE(gbk::find(QByteArray("ab"), ""), -1);
    QCOMPARE(gbk::find(QByteArray("abab"), "ab", 1), 2);
}

void TestGbk::replaceAll_leavesLookalikeBytesInsideCharacters()
{
    QCOMPARE(gbk::replace_all("a><br><b><br><", "><br><", "\r\n"), QByteArray("a\r\nb\r\n"));
    QCOMPARE(gbk::replace_all("\xB0><br><", "><br><", "\r\n"), QByteArray("\xB0><br><"));
    QCOMPARE(gbk::replace_all("one\r\ntwo", "\r\n", "><br><"), QByteArray("one><br><two"));
    QCOMPARE(gbk::replace_all("x\ry\nz", "\r\n", "><br><"), QByteArray("x\ry\nz"));
}

void TestGbk::textLength_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("expected");
    QTest::newRow("no marker") << QByteArray("abc") << 3;
    QTest::newRow("zero byte") << QByteArray("abc\0def", 7) << 3;
    QTest::newRow("ctrl-z") << QByteArray("ab\x1A"
                                          "cd")
                            << 2;
    QTest::newRow("1A as second byte") << QByteArray("\x81\x1A"
                                                     "c\x1A")
                                       << 3;
    QTest::newRow("00 as second byte") << QByteArray("a\x81\0c", 4) << 1;
    QTest::newRow("leading zero") << QByteArray("\0abc", 4) << 0;
}

void TestGbk::textLength()
{
    QFETCH(QByteArray, input);
    QFETCH(int, expected);
    QCOMPARE(gbk::text_length(input), expected);
}

QTEST_GUILESS_MAIN(TestGbk)
#include "test_gbk.moc"
