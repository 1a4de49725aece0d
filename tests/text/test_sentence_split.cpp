#include "platform/gbk.h"
#include "text/sentence_split.h"

#include <QTest>

namespace {

QByteArray g(const char16_t *text)
{
    return gbk::encode(QString::fromUtf16(text));
}

} // namespace

class TestSentenceSplit final : public QObject {
    Q_OBJECT

private slots:
    void shortText_isOnePiece();
    void pieces_endAtSentenceEnds_data();
    void pieces_endAtSentenceEnds();
    void longSentence_isCutAtCharacterBoundary();
    void chapter_keepsEveryCharacterInOrder();
    void silentPieces_areLeftOut();
};

void TestSentenceSplit::shortText_isOnePiece()
{
    const QByteArray text = g(u"第一句。第二句！");
    QCOMPARE(split_for_engine(text, 2048), QList<QByteArray>{text});
}

void TestSentenceSplit::pieces_endAtSentenceEnds_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::newRow("full stop") << g(u"一二。三四。") << 8 << QList<QByteArray>{g(u"一二。"), g(u"三四。")};
    QTest::newRow("question and semicolon") << g(u"一？二；三") << 6 << QList<QByteArray>{g(u"一？"), g(u"二；三")};
    QTest::newRow("packs sentences that fit")
        << g(u"一。二。三四五六。") << 10 << QList<QByteArray>{g(u"一。二。"), g(u"三四五六。")};
    QTest::newRow("line break") << QByteArray("abc\r\ndef") << 6 << QList<QByteArray>{"abc\r\n", "def"};
    QTest::newRow("ascii end before space")
        << QByteArray("One. Two! Three") << 6 << QList<QByteArray>{"One.", " Two!", " Three"};
    // A point inside a number or a name does not end a sentence.
    QTest::newRow("decimal point stays") << QByteArray("pi is 3.14 ok") << 10 << QList<QByteArray>{"pi is 3.14", " ok"};
}

void TestSentenceSplit::pieces_endAtSentenceEnds()
{
    QFETCH(QByteArray, text);
    QFETCH(int, limit);
    QFETCH(QList<QByteArray>, pieces);
    QCOMPARE(split_for_engine(text, limit), pieces);
}

void TestSentenceSplit::longSentence_isCutAtCharacterBoundary()
{
    // Seven characters of two bytes with a limit of 5: pieces of two characters, none split.
    const QList<QByteArray> pieces = split_for_engine(g(u"一二三四五六七"), 5);
    QCOMPARE(pieces, (QList<QByteArray>{g(u"一二"), g(u"三四"), g(u"五六"), g(u"七")}));
}

void TestSentenceSplit::chapter_keepsEveryCharacterInOrder()
{
    QByteArray chapter;
    for (int i = 0; i < 400; ++i)
        chapter += g(u"这是第") + QByteArray::number(i) + g(u"句话，用来测试切分。");
    chapter += g(u"最后一句没有句号");
    const QList<QByteArray> pieces = split_for_engine(chapter, 2048);
    QVERIFY(pieces.size() >= chapter.size() / 2048);
    QByteArray joined;
    for (const QByteArray &piece : pieces) {
        QVERIFY(piece.size() <= 2048);
        QVERIFY(gbk::decode(piece).indexOf(QChar::ReplacementCharacter) < 0);
        joined += piece;
    }
    QCOMPARE(joined, chapter);
    QVERIFY(pieces.constFirst().endsWith(g(u"。")));
}

void TestSentenceSplit::silentPieces_areLeftOut()
{
    QCOMPARE(split_for_engine(QByteArray("  \r\n\r\n"), 2048), QList<QByteArray>{});
    QCOMPARE(split_for_engine(g(u"　　"), 2048), QList<QByteArray>{});
    QCOMPARE(split_for_engine(QByteArray(), 2048), QList<QByteArray>{});
}

QTEST_GUILESS_MAIN(TestSentenceSplit)
#include "test_sentence_split.moc"
