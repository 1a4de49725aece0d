// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding the bytes of QTTSTextPut by the session's text encoding.

#include "text_decoder.h"

#include <QTest>

using namespace speech;

Q_DECLARE_METATYPE(speech::TextEncoding)

class TestTextDecoder : public QObject {
    Q_OBJECT

private slots:
    void decode_readsEachEncoding_data();
    void decode_readsEachEncoding();
    void decode_replacesInvalidBytesWithASpace_data();
    void decode_replacesInvalidBytesWithASpace();
    void decode_blanksControlCharacters();
};

namespace {

const QString sample = u"请输入文本abc"_qs;

QByteArray utf16le(const QString &text)
{
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

} // namespace

void TestTextDecoder::decode_readsEachEncoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QString>("expected");
    // 请输入文本abc in GB2312/GBK/GB18030 and in BIG5 (請輸入文本abc).
    const QByteArray gbk = QByteArray::fromHex("c7ebcae4c8ebcec4b1be616263");
    const QByteArray big5 = QByteArray::fromHex("bdd0bfe9a44aa4e5a5bb616263");
    QTest::newRow("GB2312") << gbk << TextEncoding::Gb2312 << sample;
    QTest::newRow("GBK") << gbk << TextEncoding::Gbk << sample;
    QTest::newRow("GB18030") << gbk << TextEncoding::Gb18030 << sample;
    QTest::newRow("GB18030 four-byte") << QByteArray::fromHex("8139ee39") << TextEncoding::Gb18030 << u"㐀"_qs;
    QTest::newRow("BIG5") << big5 << TextEncoding::Big5 << u"請輸入文本abc"_qs;
    QTest::newRow("UNICODE") << utf16le(sample) << TextEncoding::Unicode << sample;
    QTest::newRow("UNICODE with BOM") << QByteArray::fromHex("fffe") + utf16le(sample) << TextEncoding::Unicode
                                      << sample;
    QTest::newRow("UTF8") << sample.toUtf8() << TextEncoding::Utf8 << sample;
    QTest::newRow("UTF8 with BOM") << QByteArray::fromHex("efbbbf") + sample.toUtf8() << TextEncoding::Utf8 << sample;
    QTest::newRow("AUTO valid UTF-8") << sample.toUtf8() << TextEncoding::Auto << sample;
    QTest::newRow("AUTO falls back to GB18030") << gbk << TextEncoding::Auto << sample;
}

void TestTextDecoder::decode_readsEachEncoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(TextEncoding, encoding);
    QFETCH(QString, expected);
    const std::u32string text = decode_text(std::string_view(bytes.constData(), std::size_t(bytes.size())), encoding);
    QCOMPARE(QString::fromStdU32String(text), expected);
}

void TestTextDecoder::decode_replacesInvalidBytesWithASpace_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QString>("expected");
    QTest::newRow("GBK bad trail byte") << QByteArray("a\x81\x20z") << TextEncoding::Gbk << "a  z";
    QTest::newRow("GBK cut at the end") << QByteArray("ab\xc7") << TextEncoding::Gb2312 << "ab ";
    QTest::newRow("GBK 0xff") << QByteArray("a\xff\xff"
                                            "b")
                              << TextEncoding::Gb18030 << "a b";
    QTest::newRow("BIG5 bad") << QByteArray("a\xff\x30z") << TextEncoding::Big5 << "a 0z";
    QTest::newRow("UNICODE odd length") << QByteArray("a\0b\0c", 5) << TextEncoding::Unicode << "ab ";
    QTest::newRow("UNICODE lone surrogate") << QByteArray("a\0\x00\xd8"
                                                          "b\0",
                                                          6)
                                            << TextEncoding::Unicode << "a b";
    QTest::newRow("UTF8 lone continuation") << QByteArray("a\x80z") << TextEncoding::Utf8 << "a z";
    QTest::newRow("UTF8 overlong") << QByteArray("a\xc0\xafz") << TextEncoding::Utf8 << "a z";
    QTest::newRow("UTF8 cut at the end") << QByteArray("ab\xe4\xbd") << TextEncoding::Utf8 << "ab ";
    QTest::newRow("AUTO mixed") << QByteArray("\xe4\xbd\xa0\xff") << TextEncoding::Auto << u"浣 "_qs;
    QTest::newRow("all invalid") << QByteArray("\xff\xff\xff") << TextEncoding::Gbk << " ";
}

void TestTextDecoder::decode_replacesInvalidBytesWithASpace()
{
    QFETCH(QByteArray, bytes);
    QFETCH(TextEncoding, encoding);
    QFETCH(QString, expected);
    const std::u32string text = decode_text(std::string_view(bytes.constData(), std::size_t(bytes.size())), encoding);
    QCOMPARE(QString::fromStdU32String(text), expected);
}

void TestTextDecoder::decode_blanksControlCharacters()
{
    const QByteArray bytes("a\0b\x07"
                           "c\td\ne\rf\x7f",
                           12);
    const std::u32string text =
        decode_text(std::string_view(bytes.constData(), std::size_t(bytes.size())), TextEncoding::Utf8);
    QCOMPARE(QString::fromStdU32String(text), QString("a b c\td\ne\rf "));
}

QTEST_GUILESS_MAIN(TestTextDecoder)
#include "test_text_decoder.moc"
