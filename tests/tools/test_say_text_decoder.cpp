// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gbk.h"
#include "say/book_job.h"
#include "say/text_decoder.h"

#include <QTest>

namespace {

// U+20000, a Chinese character outside the basic plane: four bytes in UTF-8 and GB18030, a
// surrogate pair in UTF-16.
const QString kFarCharacter = QString::fromUcs4(U"\U00020000", 1);

QByteArray utf16(const QString &text, bool little_endian)
{
    QByteArray out(little_endian ? "\xFF\xFE" : "\xFE\xFF");
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        out += little_endian ? low : high;
        out += little_endian ? high : low;
    }
    return out;
}

} // namespace

// The tool's decoder as the tool drives it: 64 KiB reads, whatever falls where they meet.
class TestSayTextDecoder final : public QObject {
    Q_OBJECT

private slots:
    void feed_joinsACharacterCutBetweenTwoReads_data();
    void feed_joinsACharacterCutBetweenTwoReads();
};

void TestSayTextDecoder::feed_joinsACharacterCutBetweenTwoReads_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("encoding");
    const QString chinese = u"春天来了"_qs.repeated(8000); // 3 bytes each in UTF-8
    const QString far = kFarCharacter.repeated(20000);
    const int utf8 = int(TextDecoder::Encoding::Utf8);
    const int utf16_code = int(TextDecoder::Encoding::Utf16);
    // 65536 = 3 × 21845 + 1: the read ends one byte into a character; two ASCII bytes before
    // move the cut to two bytes into one.
    QTest::newRow("UTF-8, 1 of 3 bytes") << chinese.toUtf8() << chinese << utf8;
    QTest::newRow("UTF-8, 2 of 3 bytes") << (u"ab"_qs + chinese).toUtf8() << u"ab"_qs + chinese << utf8;
    QTest::newRow("UTF-8 with its mark") << "\xEF\xBB\xBF" + chinese.toUtf8() << chinese << utf8;
    QTest::newRow("UTF-8, 3 of 4 bytes") << (u"a"_qs + far).toUtf8() << u"a"_qs + far << utf8;
    // The first read is ASCII and one byte of a character: the decision waits for more.
    const QString ascii_first = QString(65535, u'a') + chinese.left(100);
    QTest::newRow("ASCII, then a cut character") << ascii_first.toUtf8() << ascii_first << utf8;
    const QString gbk_text = u"a"_qs + chinese + chinese; // 2 bytes a character
    QTest::newRow("GBK, lead and trail byte") << gbk::encode(gbk_text) << gbk_text << int(TextDecoder::Encoding::Gbk);
    // After the two-byte mark, pairs of units start at 2 + 4n: 65536 falls between a pair's halves.
    QTest::newRow("UTF-16LE, a surrogate pair") << utf16(far, true) << far << utf16_code;
    const QString be_text = u"春天"_qs + far;
    QTest::newRow("UTF-16BE, a surrogate pair") << utf16(be_text, false) << be_text << utf16_code;
}

void TestSayTextDecoder::feed_joinsACharacterCutBetweenTwoReads()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(int, encoding);
    QVERIFY(bytes.size() > kReadBlock);
    const QByteArray first_read = bytes.first(kReadBlock);
    const QByteArray whole_characters = gbk::encode(text);

    TextDecoder decoder;
    QByteArray out;
    QVERIFY(decoder.feed(first_read, out));
    // Nothing of the cut character is given out before its last byte has come.
    QVERIFY2(whole_characters.startsWith(out), "the first read gave out a wrong or partial character");
    QVERIFY(decoder.feed(QByteArrayView(bytes).sliced(kReadBlock), out));
    QVERIFY(decoder.finish(out));
    QCOMPARE(int(decoder.encoding()), encoding);
    QCOMPARE(out.size(), whole_characters.size());
    QVERIFY(out == whole_characters);
}

QTEST_GUILESS_MAIN(TestSayTextDecoder)
#include "test_say_text_decoder.moc"
