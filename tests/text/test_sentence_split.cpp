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
    void streamedText_givesTheSamePieces_data();
    void streamedText_givesTheSamePieces();
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

void TestSentenceSplit::streamedText_givesTheSamePieces_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("limit");
    QByteArray chapter;
    for (int i = 0; i < 300; ++i)
        chapter += g(u"这是第") + QByteArray::number(i) + g(u"句话。") + (i % 7 == 0 ? "Pi is 3.14. Next\r\n" : "");
    QTest::newRow("chapter") << chapter << 2048;
    QTest::newRow("small pieces") << chapter << 40;
    // One sentence far longer than the limit, with a four-byte character in it.
    QTest::newRow("endless sentence") << (g(u"一二三四五") + "\x81\x30\x81\x30").repeated(300) + g(u"。尾") << 64;
}

void TestSentenceSplit::streamedText_givesTheSamePieces()
{
    QFETCH(QByteArray, text);
    QFETCH(int, limit);
    const QList<QByteArray> whole = split_for_engine(text, limit);
    for (const qsizetype block : {1, 3, 1000}) {
        PieceSplitter splitter(limit);
        QList<QByteArray> streamed;
        for (qsizetype at = 0; at < text.size(); at += block) {
            splitter.feed(QByteArrayView(text).sliced(at, std::min(block, text.size() - at)));
            while (splitter.has_piece())
                streamed.append(splitter.take_piece());
        }
        // Pieces come out as the text arrives: only the last two (the piece being packed and
        // the sentence after it) may wait for the end.
        QVERIFY(streamed.size() >= whole.size() - 2);
        splitter.finish();
        while (splitter.has_piece())
            streamed.append(splitter.take_piece());
        QCOMPARE(streamed, whole);
    }
}

QTEST_GUILESS_MAIN(TestSentenceSplit)
#include "test_sentence_split.moc"
