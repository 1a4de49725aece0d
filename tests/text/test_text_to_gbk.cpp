// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gbk.h"
#include "text/text_to_gbk.h"

#include <QStringEncoder>
#include <QTest>

namespace {

constexpr qsizetype kBlock = 64 * 1024;

QByteArray utf16(const QString &text, QStringConverter::Encoding encoding)
{
    return QStringEncoder(encoding, QStringConverter::Flag::WriteBom).encode(text);
}

// The GBK a whole input gives when fed in blocks of the given size; "not text" when refused.
QByteArray converted(const QByteArray &input, qsizetype block, bool *text = nullptr)
{
    TextToGbk decoder;
    QByteArray out;
    bool ok = true;
    for (qsizetype at = 0; ok && at < input.size(); at += block)
        ok = decoder.feed(QByteArrayView(input).sliced(at, std::min(block, input.size() - at)), out);
    ok = ok && decoder.finish(out);
    if (text != nullptr)
        *text = ok;
    return out;
}

} // namespace

Q_DECLARE_METATYPE(TextEncoding)

class TestTextToGbk : public QObject {
    Q_OBJECT

private slots:
    void detect_followsMarksThenUtf8ThenGbk_data();
    void detect_followsMarksThenUtf8ThenGbk();
    void feed_sameTextWhateverTheBlocks_data();
    void feed_sameTextWhateverTheBlocks();
    void feed_stopsAtControlCharacter_data();
    void feed_stopsAtControlCharacter();
    void gbkTextLength_endsAtFirstControl_data();
    void gbkTextLength_endsAtFirstControl();
};

void TestTextToGbk::detect_followsMarksThenUtf8ThenGbk_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<qsizetype>("bom");
    const QByteArray spring = QStringLiteral("春").toUtf8(); // E6 98 A5
    QTest::newRow("UTF-8 mark") << QByteArray("\xEF\xBB\xBF"
                                              "abc")
                                << true << TextEncoding::Utf8 << qsizetype{3};
    // A UTF-8 mark wins over bytes that are not UTF-8 after it.
    QTest::newRow("UTF-8 mark, bad bytes")
        << QByteArray("\xEF\xBB\xBF\xB4\xBA") << true << TextEncoding::Utf8 << qsizetype{3};
    QTest::newRow("UTF-16 LE mark") << QByteArray("\xFF\xFE"
                                                  "a\0",
                                                  4)
                                    << true << TextEncoding::Utf16LE << qsizetype{2};
    QTest::newRow("UTF-16 BE mark") << QByteArray("\xFE\xFF\0a", 4) << true << TextEncoding::Utf16BE << qsizetype{2};
    QTest::newRow("valid UTF-8") << spring + "abc" << true << TextEncoding::Utf8 << qsizetype{0};
    QTest::newRow("GBK") << gbk::encode(QStringLiteral("春天")) << true << TextEncoding::Gbk << qsizetype{0};
    QTest::newRow("ASCII only") << QByteArray("plain") << true << TextEncoding::Gbk << qsizetype{0};
    // A last character cut short is UTF-8 still when more may follow, invalid when it cannot.
    QTest::newRow("cut character, more to come")
        << spring + spring.first(2) << false << TextEncoding::Utf8 << qsizetype{0};
    QTest::newRow("cut character, whole text") << spring + spring.first(2) << true << TextEncoding::Gbk << qsizetype{0};
}

void TestTextToGbk::detect_followsMarksThenUtf8ThenGbk()
{
    QFETCH(QByteArray, head);
    QFETCH(bool, complete);
    QFETCH(TextEncoding, encoding);
    QFETCH(qsizetype, bom);
    const DetectedEncoding detected = detect_text_encoding(head, complete);
    QCOMPARE(detected.encoding, encoding);
    QCOMPARE(detected.bom_size, bom);
}

void TestTextToGbk::feed_sameTextWhateverTheBlocks_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("text");
    // A three-byte character straddles the first 64 KiB block boundary.
    const QString book = QString(kBlock - 1, u'a') + QString(30000, u'春');
    QTest::newRow("UTF-8 book") << book.toUtf8() << book;
    QTest::newRow("UTF-16 LE book") << utf16(book, QStringConverter::Utf16LE) << book;
    QTest::newRow("UTF-16 BE book") << utf16(book, QStringConverter::Utf16BE) << book;
    QTest::newRow("GBK book") << gbk::encode(book) << book;
    // U+20000 is a surrogate pair in UTF-16: a block may end between its halves.
    const QString far = QString(3, u'a') + QString::fromUcs4(U"\U00020000", 1).repeated(20000);
    QTest::newRow("UTF-16 LE, pairs") << utf16(far, QStringConverter::Utf16LE) << far;
    QTest::newRow("UTF-16 BE, pairs") << utf16(far, QStringConverter::Utf16BE) << far;
    QTest::newRow("UTF-8 mark") << "\xEF\xBB\xBF" + QStringLiteral("春眠").toUtf8() << QStringLiteral("春眠");
    QTest::newRow("short GBK") << gbk::encode(QStringLiteral("春")) << QStringLiteral("春");
}

void TestTextToGbk::feed_sameTextWhateverTheBlocks()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, text);
    for (const qsizetype block : {qsizetype{1}, qsizetype{3}, kBlock, input.size()}) {
        bool is_text = false;
        const QByteArray out = converted(input, block, &is_text);
        QVERIFY2(is_text, qPrintable(QStringLiteral("block %1").arg(block)));
        QVERIFY2(out == gbk::encode(text), qPrintable(QStringLiteral("block %1").arg(block)));
    }
}

void TestTextToGbk::feed_stopsAtControlCharacter_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("before");
    QTest::newRow("NUL in ASCII") << QByteArray("abc\0def", 7) << QByteArray("abc");
    QTest::newRow("bell in UTF-8") << QStringLiteral("春\a天").toUtf8() << gbk::encode(QStringLiteral("春"));
    QTest::newRow("escape in GBK") << gbk::encode(QStringLiteral("春\x1B天")) << gbk::encode(QStringLiteral("春"));
    QTest::newRow("NUL in UTF-16") << utf16(QString::fromUtf16(u"春\0天", 3), QStringConverter::Utf16LE)
                                   << gbk::encode(QStringLiteral("春"));
}

void TestTextToGbk::feed_stopsAtControlCharacter()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, before);
    bool is_text = true;
    QCOMPARE(converted(input, input.size(), &is_text), before);
    QVERIFY(!is_text);
    // Tab, line feed, vertical tab, form feed and carriage return are text.
    QVERIFY(converted(QByteArray("a\tb\nc\vd\fe\r\n"), 4, &is_text) == "a\tb\nc\vd\fe\r\n");
    QVERIFY(is_text);
}

void TestTextToGbk::gbkTextLength_endsAtFirstControl_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qsizetype>("length");
    QTest::newRow("no control") << QByteArray("ab\tc\r\n") << qsizetype{6};
    QTest::newRow("bell") << QByteArray("ab\acd") << qsizetype{2};
    QTest::newRow("ctrl-z") << QByteArray("ab\x1A"
                                          "cd")
                            << qsizetype{2};
    // A control byte after a lead byte belongs to that character; 00 there still ends the text.
    QTest::newRow("1B as second byte") << QByteArray("\x81\x1B"
                                                     "ab")
                                       << qsizetype{4};
    QTest::newRow("00 as second byte") << QByteArray("ab\x81\0cd", 6) << qsizetype{2};
}

void TestTextToGbk::gbkTextLength_endsAtFirstControl()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qsizetype, length);
    QCOMPARE(gbk_text_length(bytes), length);
}

QTEST_GUILESS_MAIN(TestTextToGbk)
#include "test_text_to_gbk.moc"
