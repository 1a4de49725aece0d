// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gbk.h"
#include "say/spoken_characters.h"
#include "text/sentence_split.h"

#include <QTest>

// What the progress of a job counts: characters of the text, not blanks, not markup.
class TestSpokenCharacters final : public QObject {
    Q_OBJECT

private slots:
    void count_leavesOutBlanksAndMarkup_data();
    void count_leavesOutBlanksAndMarkup();
    void pieces_addUpToTheWholeText_data();
    void pieces_addUpToTheWholeText();
};

void TestSpokenCharacters::count_leavesOutBlanksAndMarkup_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ssml");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("blanks") << u"你好， world\r\n\t。"_qs << false << qint64{9};
    QTest::newRow("full-width space") << u"你\u3000好"_qs << false << qint64{2};
    QTest::newRow("plain text keeps '<'") << u"a<b>c"_qs << false << qint64{5};
    QTest::newRow("tags") << u"<speak><prosody rate=\"fast\">你好</prosody></speak>"_qs << true << qint64{2};
    QTest::newRow("quoted '>'") << u"<speak><prosody volume=\"x>loud\">你好</prosody></speak>"_qs << true << qint64{2};
}

void TestSpokenCharacters::count_leavesOutBlanksAndMarkup()
{
    QFETCH(QString, text);
    QFETCH(bool, ssml);
    QFETCH(qint64, expected);
    const QByteArray gbk = gbk::encode(text);
    QCOMPARE(SpokenCharacters::of(gbk, ssml), expected);
    // Fed a character at a time, a tag running across calls.
    SpokenCharacters counter(ssml);
    for (qsizetype pos = 0; pos < gbk.size(); pos += gbk::char_length(gbk, pos))
        counter.feed(QByteArrayView(gbk).sliced(pos, gbk::char_length(gbk, pos)));
    QCOMPARE(counter.count(), expected);
}

void TestSpokenCharacters::pieces_addUpToTheWholeText_data()
{
    QTest::addColumn<bool>("ssml");
    QTest::newRow("text") << false;
    QTest::newRow("ssml: reopened tags are not counted again") << true;
}

void TestSpokenCharacters::pieces_addUpToTheWholeText()
{
    QFETCH(bool, ssml);
    const QString sentences = u"今天 天气很好。 我们出去走走吧！\n"_qs.repeated(30);
    const QByteArray text =
        gbk::encode(ssml ? u"<speak><prosody rate=\"slow\">"_qs + sentences + u"</prosody></speak>"_qs : sentences);
    const QList<QByteArray> pieces = ssml ? split_ssml_for_engine(text, 120) : split_for_engine(text, 120);
    QVERIFY(pieces.size() > 5);
    qint64 sum = 0;
    for (const QByteArray &piece : pieces)
        sum += SpokenCharacters::of(piece, ssml);
    QCOMPARE(sum, SpokenCharacters::of(text, ssml));
    QCOMPARE(sum, qint64{30 * 15});
}

QTEST_GUILESS_MAIN(TestSpokenCharacters)
#include "test_spoken_characters.moc"
