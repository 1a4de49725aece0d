// SPDX-License-Identifier: GPL-3.0-or-later
#include "message_document.h"
#include "speech_settings.h"

#include <QTest>

class TestMessageDocument final : public QObject {
    Q_OBJECT

private slots:
    void marks_cutTheDocumentAndReopenItsElements_data();
    void marks_cutTheDocumentAndReopenItsElements();
    void document_carriesPitchSpellingAndCapitals_data();
    void document_carriesPitchSpellingAndCapitals();
    void marksRemoved_leaveTheTextAndItsWeight();
};

void TestMessageDocument::marks_cutTheDocumentAndReopenItsElements_data()
{
    QTest::addColumn<QByteArray>("ssml");
    QTest::addColumn<QList<QByteArray>>("pieces"); // document, mark, document, mark, ...
    QTest::newRow("no mark") << QByteArray("<speak>你好</speak>") << QList<QByteArray>{"<speak>你好</speak>", ""};
    QTest::newRow("nested") << QByteArray("<speak><prosody rate=\"fast\">甲<mark name=\"m1\"/>乙</prosody>丙</speak>")
                            << QList<QByteArray>{"<speak><prosody rate=\"fast\">甲</prosody></speak>", "m1",
                                                 "<speak><prosody rate=\"fast\">乙</prosody>丙</speak>", ""};
    QTest::newRow("quotes, open mark and end")
        << QByteArray("<speak><mark name='a'></mark>甲<mark name = \"b\" /></speak>")
        << QList<QByteArray>{"<speak></speak>", "a", "<speak>甲</speak>", "b", "<speak></speak>", ""};
    QTest::newRow("comment and empty element")
        << QByteArray("<?xml version=\"1.0\"?><speak><!-- x --><break time=\"1s\"/>甲<mark name=\"m\"/>乙</speak>")
        << QList<QByteArray>{"<?xml version=\"1.0\"?><speak><!-- x --><break time=\"1s\"/>甲</speak>", "m",
                             "<speak>乙</speak>", ""};
}

void TestMessageDocument::marks_cutTheDocumentAndReopenItsElements()
{
    QFETCH(QByteArray, ssml);
    QFETCH(QList<QByteArray>, pieces);
    QList<QByteArray> got;
    for (const SpeechPart &part : split_at_marks(ssml))
        got << part.ssml << part.mark;
    QCOMPARE(got, pieces);
}

void TestMessageDocument::document_carriesPitchSpellingAndCapitals_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("document");
    QTest::newRow("as it is") << QByteArray() << int(MessageKind::Text) << QByteArray("<speak>甲</speak>")
                              << QByteArray("<speak>甲</speak>");
    QTest::newRow("pitch") << QByteArray("pitch=-60") << int(MessageKind::Text)
                           << QByteArray("<speak xml:lang=\"zh\">甲</speak>")
                           << QByteArray("<speak xml:lang=\"zh\"><prosody pitch=\"-30%\">甲</prosody></speak>");
    QTest::newRow("spelling") << QByteArray("spelling_mode=on") << int(MessageKind::Text) << QByteArray("abc")
                              << QByteArray("<speak><say-as interpret-as=\"characters\">abc</say-as></speak>");
    QTest::newRow("key escaped") << QByteArray() << int(MessageKind::Key) << QByteArray("kp-less_<")
                                 << QByteArray("<speak>kp less &lt;</speak>");
    QTest::newRow("capital, Chinese voice") << QByteArray("cap_let_recogn=spell") << int(MessageKind::Char)
                                            << QByteArray("A") << QByteArray("<speak>大写 A</speak>");
    QTest::newRow("capital, English voice") << QByteArray("cap_let_recogn=spell\nlanguage=en") << int(MessageKind::Char)
                                            << QByteArray("B") << QByteArray("<speak>capital B</speak>");
    QTest::newRow("punctuation mode") << QByteArray("punctuation_mode=some") << int(MessageKind::Text)
                                      << QByteArray("<speak>a@b</speak>") << QByteArray("<speak>a 艾特 b</speak>");
    QTest::newRow("punctuation as a character")
        << QByteArray() << int(MessageKind::Char) << QByteArray("，") << QByteArray("<speak> 逗号 </speak>");
    QTest::newRow("capital not spelled") << QByteArray() << int(MessageKind::Char) << QByteArray("A")
                                         << QByteArray("<speak>A</speak>");
}

void TestMessageDocument::document_carriesPitchSpellingAndCapitals()
{
    QFETCH(QByteArray, settings);
    QFETCH(int, kind);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, document);
    SpeechSettings speech;
    for (const QByteArray &line : settings.split('\n')) {
        if (!line.isEmpty())
            QVERIFY(speech.apply(line));
    }
    QCOMPARE(message_document(static_cast<MessageKind>(kind), data, speech), document);
}

void TestMessageDocument::marksRemoved_leaveTheTextAndItsWeight()
{
    const QByteArray ssml =
        "<speak><prosody pitch=\"+5%\">ab <mark name=\"x\"/>c</prosody><mark name='y'></mark></speak>";
    QCOMPARE(remove_marks(ssml), QByteArray("<speak><prosody pitch=\"+5%\">ab c</prosody></speak>"));
    // Characters outside markup, spaces left out; a GBK character counts once.
    QCOMPARE(spoken_weight(ssml), 3);
    QCOMPARE(spoken_weight(QByteArray("<speak>\xd2\xf8 \xd0\xd0\x81\x30\x81\x30.</speak>")), 4);
}

QTEST_GUILESS_MAIN(TestMessageDocument)
#include "test_message_document.moc"
