// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gbk.h"
#include "ssml_markup_cases.h"
#include "text/sentence_split.h"

#include <QRegularExpression>
#include <QTest>
#include <QXmlStreamReader>

namespace {

QByteArray g(const char16_t *text)
{
    return gbk::encode(QString::fromUtf16(text));
}

// The document's text with whitespace left out, each run marked with the elements (and their
// attributes) it stands in; empty when the document is not well-formed.
QStringList scoped_text(const QByteArray &document)
{
    QXmlStreamReader xml(gbk::decode(document));
    QStringList scope;
    QStringList runs;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            QString element = xml.name().toString();
            for (const QXmlStreamAttribute &attribute : xml.attributes())
                element += u' ' + attribute.name().toString() + u'=' + attribute.value().toString();
            scope.append(element);
        } else if (xml.isEndElement()) {
            scope.removeLast();
        } else if (xml.isCharacters() && !xml.isWhitespace()) {
            const QString run =
                scope.join(u'/') + u'|' + xml.text().toString().remove(QRegularExpression(QStringLiteral("\\s")));
            // Runs cut apart by a piece boundary join up again.
            if (!runs.isEmpty() && runs.last().section(u'|', 0, 0) == run.section(u'|', 0, 0))
                runs.last() += run.section(u'|', 1);
            else
                runs.append(run);
        }
    }
    return xml.hasError() ? QStringList{} : runs;
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
    void ssmlPieces_keepEveryElementsScope_data();
    void ssmlPieces_keepEveryElementsScope();
    void ssmlPieces_reopenAndCloseAtTheCut();
    void ssmlMarkup_isWhatTheEngineTakesForMarkup_data();
    void ssmlMarkup_isWhatTheEngineTakesForMarkup();
    void ssmlPieces_doNotReopenAComparison();
    void ssmlNesting_thatLeavesNoRoomIsRefused_data();
    void ssmlNesting_thatLeavesNoRoomIsRefused();
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

void TestSentenceSplit::ssmlPieces_keepEveryElementsScope_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<int>("limit");
    const auto sentences = [](int first, int count) {
        QByteArray text;
        for (int i = first; i < first + count; ++i)
            text += g(u"这是第") + QByteArray::number(i) + g(u"句话。");
        return text;
    };
    QTest::newRow("prosody around a chapter")
        << "<speak><prosody rate=\"x-slow\" pitch=\"+50%\">" + sentences(0, 40) + "</prosody></speak>" << 90;
    QTest::newRow("nested voices, breaks and comments")
        << "<?xml version=\"1.0\"?>\n<speak version=\"1.0\">\n<voice name=\"a\">" + sentences(0, 12)
               + "<emphasis level=\"strong\">" + sentences(12, 9) + "<break time=\"1s\"/>" + sentences(21, 12)
               + "</emphasis><!-- a > b -->" + sentences(33, 7) + "</voice>\n<voice name=\"b\">" + sentences(40, 18)
               + "</voice>\n</speak>\n"
        << 120;
    // No sentence end at all: cut at characters, never inside an entity.
    QTest::newRow("endless sentence with entities")
        << "<speak><say-as interpret-as=\"characters\">" + QByteArray("AT&amp;T &lt;x&gt; ").repeated(40)
               + "</say-as></speak>"
        << 100;
    QTest::newRow("quoted '>' in an attribute")
        << "<speak><prosody volume=\"x>loud\">" + sentences(0, 40) + "</prosody></speak>" << 80;
}

void TestSentenceSplit::ssmlPieces_keepEveryElementsScope()
{
    QFETCH(QByteArray, document);
    QFETCH(int, limit);
    const QList<QByteArray> whole = split_ssml_for_engine(document, limit);
    QVERIFY(whole.size() > 3);
    QStringList joined;
    for (const QByteArray &piece : whole) {
        QVERIFY2(piece.size() <= limit, piece.constData());
        QVERIFY2(!scoped_text(piece).isEmpty(), piece.constData());
        QCOMPARE(piece.startsWith("<?xml"), document.startsWith("<?xml"));
        for (const QString &run : scoped_text(piece)) {
            if (!joined.isEmpty() && joined.last().section(u'|', 0, 0) == run.section(u'|', 0, 0))
                joined.last() += run.section(u'|', 1);
            else
                joined.append(run);
        }
    }
    QCOMPARE(joined, scoped_text(document));
    for (const qsizetype block : {1, 7, 4096}) {
        SsmlSplitter splitter(limit);
        QList<QByteArray> streamed;
        for (qsizetype at = 0; at < document.size(); at += block)
            splitter.feed(QByteArrayView(document).sliced(at, std::min(block, document.size() - at)));
        splitter.finish();
        while (splitter.has_piece())
            streamed.append(splitter.take_piece());
        QCOMPARE(streamed, whole);
    }
}

void TestSentenceSplit::ssmlPieces_reopenAndCloseAtTheCut()
{
    const QByteArray document = "<speak><prosody rate=\"slow\">" + g(u"一二。三四。") + "</prosody></speak>";
    QCOMPARE(split_ssml_for_engine(document, 2048), QList<QByteArray>{document});
    QCOMPARE(split_ssml_for_engine(document, 55),
             (QList<QByteArray>{"<speak><prosody rate=\"slow\">" + g(u"一二。") + "</prosody></speak>",
                                "<speak><prosody rate=\"slow\">" + g(u"三四。") + "</prosody></speak>"}));
}

void TestSentenceSplit::ssmlMarkup_isWhatTheEngineTakesForMarkup_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qsizetype>("markup_length");
    for (const ssml_cases::MarkupCase &c : ssml_cases::kMarkupCases)
        QTest::newRow(c.name) << QByteArray(c.text.data(), static_cast<qsizetype>(c.text.size()))
                              << static_cast<qsizetype>(c.markup_length);
}

void TestSentenceSplit::ssmlMarkup_isWhatTheEngineTakesForMarkup()
{
    QFETCH(QByteArray, text);
    QFETCH(qsizetype, markup_length);
    QCOMPARE(ssml_markup_end(text), markup_length);
}

// A comparison taken for a start tag was reopened, and so spoken, at the start of every piece.
void TestSentenceSplit::ssmlPieces_doNotReopenAComparison()
{
    const QByteArray document = "<speak>" + g(u"a < b > c。") + g(u"一二三四。").repeated(8) + "</speak>";
    const QList<QByteArray> pieces = split_ssml_for_engine(document, 40);
    QVERIFY(pieces.size() > 2);
    QByteArray joined;
    for (const QByteArray &piece : pieces) {
        QVERIFY2(piece.startsWith("<speak>") && piece.endsWith("</speak>"), piece.constData());
        joined += piece.sliced(7, piece.size() - 15);
    }
    QCOMPARE(joined, document.sliced(7, document.size() - 15));
}

void TestSentenceSplit::ssmlNesting_thatLeavesNoRoomIsRefused_data()
{
    QTest::addColumn<int>("levels");
    QTest::addColumn<bool>("refused");
    QTest::newRow("deep but roomy") << 40 << false;
    QTest::newRow("a sixteenth of the piece left") << 61 << false;
    QTest::newRow("less than a sixteenth left") << 62 << true;
    QTest::newRow("reopened tags fill the piece") << 66 << true;
    QTest::newRow("more than a piece") << 100 << true;
}

// Each piece reopens the elements open at its start: nesting that leaves no room for text
// used to make the splitter loop for ever.
void TestSentenceSplit::ssmlNesting_thatLeavesNoRoomIsRefused()
{
    QFETCH(int, levels);
    QFETCH(bool, refused);
    constexpr qsizetype limit = 2048;
    const QByteArray text = g(u"春天来了，河边的柳树发芽了。").repeated(20);
    const QByteArray document = "<speak>" + QByteArray("<prosody rate=\"fast\">").repeated(levels) + text
                                + QByteArray("</prosody>").repeated(levels) + "</speak>";
    const std::unique_ptr<EngineSplitter> splitter = EngineSplitter::create(true, limit);
    splitter->feed(document);
    splitter->finish();
    QCOMPARE(splitter->too_deep(), refused);
    QByteArray spoken;
    while (splitter->has_piece()) {
        const QByteArray piece = splitter->take_piece();
        QVERIFY(piece.size() <= limit);
        spoken += piece;
    }
    if (!refused)
        QCOMPARE(spoken.count(g(u"柳")), 20);
}

QTEST_GUILESS_MAIN(TestSentenceSplit)
#include "test_sentence_split.moc"
