// SPDX-License-Identifier: GPL-3.0-or-later
// Reading numbers: the four number-reading modes, in Chinese and in other languages.

#include "chinese_numerals.h"
#include "number_normaliser.h"

#include <QTest>

using namespace speech;

Q_DECLARE_METATYPE(speech::NumberReading)
Q_DECLARE_METATYPE(speech::NumberLanguage)

class TestNumberNormaliser : public QObject {
    Q_OBJECT

private slots:
    void chineseValue_placesZerosAndUnits_data();
    void chineseValue_placesZerosAndUnits();
    void normalise_readsChineseNumbers_data();
    void normalise_readsChineseNumbers();
    void normalise_shapesOtherLanguages_data();
    void normalise_shapesOtherLanguages();
    void normalise_leavesTextWithoutNumbersAlone();
};

void TestNumberNormaliser::chineseValue_placesZerosAndUnits_data()
{
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QString>("expected");
    QTest::newRow("0") << "0" << u"零"_qs;
    QTest::newRow("7") << "7" << u"七"_qs;
    QTest::newRow("10") << "10" << u"十"_qs;
    QTest::newRow("15") << "15" << u"十五"_qs;
    QTest::newRow("20") << "20" << u"二十"_qs;
    QTest::newRow("101") << "101" << u"一百零一"_qs;
    QTest::newRow("110") << "110" << u"一百一十"_qs;
    QTest::newRow("1000") << "1000" << u"一千"_qs;
    QTest::newRow("1010") << "1010" << u"一千零一十"_qs;
    QTest::newRow("1234") << "1234" << u"一千二百三十四"_qs;
    QTest::newRow("10000") << "10000" << u"一万"_qs;
    QTest::newRow("10100") << "10100" << u"一万零一百"_qs;
    QTest::newRow("100010") << "100010" << u"十万零一十"_qs;
    QTest::newRow("120000") << "120000" << u"十二万"_qs;
    QTest::newRow("10000000") << "10000000" << u"一千万"_qs;
    QTest::newRow("200000001") << "200000001" << u"二亿零一"_qs;
    QTest::newRow("1000000000") << "1000000000" << u"十亿"_qs;
    QTest::newRow("13800138000") << "13800138000" << u"一百三十八亿零一十三万八千"_qs;
    QTest::newRow("10^12") << "1000000000000" << u"一万亿"_qs;
    QTest::newRow("1234500000000") << "1234500000000" << u"一万二千三百四十五亿"_qs;
    QTest::newRow("leading zeros") << "007" << u"七"_qs;
    QTest::newRow("17 digits") << "12345678901234567" << u"一二三四五六七八九零一二三四五六七"_qs;
}

void TestNumberNormaliser::chineseValue_placesZerosAndUnits()
{
    QFETCH(QString, digits);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdU32String(chinese_value(digits.toStdU32String())), expected);
}

void TestNumberNormaliser::normalise_readsChineseNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<NumberReading>("reading");
    QTest::addColumn<QString>("expected");
    const auto values = NumberReading::ValuesFirst;
    const auto always_values = NumberReading::AlwaysValues;
    const auto digits = NumberReading::AlwaysDigits;
    const auto digits_first = NumberReading::DigitsFirst;

    // 0: values, with digit strings where the context asks for them.
    QTest::newRow("0 decimal") << "3.14" << values << u"三点一四"_qs;
    QTest::newRow("0 percent") << "100%" << values << u"百分之一百"_qs;
    QTest::newRow("0 full-width percent") << u"50％"_qs << values << u"百分之五十"_qs;
    QTest::newRow("0 negative") << "-5" << values << u"负五"_qs;
    QTest::newRow("0 grouped") << "1,234" << values << u"一千二百三十四"_qs;
    QTest::newRow("0 grouped millions") << "1,234,567" << values << u"一百二十三万四千五百六十七"_qs;
    QTest::newRow("0 year") << u"2024年"_qs << values << u"二零二四年"_qs;
    QTest::newRow("0 years of time") << u"3年"_qs << values << u"三年"_qs;
    QTest::newRow("0 phone") << "13800138000" << values << u"一三八零零一三八零零零"_qs;
    QTest::newRow("0 six digits") << "123456" << values << u"十二万三千四百五十六"_qs;
    QTest::newRow("0 leading zero") << "007" << values << u"零零七"_qs;
    QTest::newRow("0 area code") << "0571-88888888" << values << u"零五七一-八八八八八八八八"_qs;
    QTest::newRow("0 zero point five") << "0.5" << values << u"零点五"_qs;
    QTest::newRow("0 in a sentence") << u"我有12个苹果"_qs << values << u"我有十二个苹果"_qs;
    QTest::newRow("0 full-width digits") << u"１２"_qs << values << u"十二"_qs;
    QTest::newRow("0 range is not a sign") << "3-5" << values << u"三-五"_qs;
    QTest::newRow("0 currency") << u"¥20"_qs << values << u"二十元"_qs;
    QTest::newRow("0 currency with magnitude") << u"$5万"_qs << values << u"五万美元"_qs;
    QTest::newRow("0 latin unit") << "5kg" << values << u"五千克"_qs;
    QTest::newRow("0 unit after space") << "12 km" << values << u"十二公里"_qs;
    QTest::newRow("0 degrees") << u"30℃"_qs << values << u"三十摄氏度"_qs;
    QTest::newRow("0 untranslated unit") << "16GB" << values << u"十六GB"_qs;
    QTest::newRow("0 word with digits") << u"MP3播放器"_qs << values << u"MP3播放器"_qs;
    QTest::newRow("0 digits before word") << u"3D打印"_qs << values << u"3D打印"_qs;
    QTest::newRow("0 ordinal-like") << "12th" << values << "12th";

    // 1: always values.
    QTest::newRow("1 phone") << "13800138000" << always_values << u"一百三十八亿零一十三万八千"_qs;
    QTest::newRow("1 year") << u"2024年"_qs << always_values << u"二千零二十四年"_qs;
    QTest::newRow("1 leading zero") << "007" << always_values << u"七"_qs;
    QTest::newRow("1 decimal") << "3.14" << always_values << u"三点一四"_qs;

    // 2: always digit by digit.
    QTest::newRow("2 integer") << "12" << digits << u"一二"_qs;
    QTest::newRow("2 decimal") << "13.5" << digits << u"一三点五"_qs;
    QTest::newRow("2 percent") << "100%" << digits << u"百分之一零零"_qs;
    QTest::newRow("2 negative") << "-5" << digits << u"负五"_qs;
    QTest::newRow("2 grouped") << "1,234" << digits << u"一二三四"_qs;
    QTest::newRow("2 with unit") << u"12个"_qs << digits << u"一二个"_qs;

    // 3: digit by digit unless a unit, % or a decimal point makes it a value.
    QTest::newRow("3 bare") << "12" << digits_first << u"一二"_qs;
    QTest::newRow("3 measure word") << u"12个"_qs << digits_first << u"十二个"_qs;
    QTest::newRow("3 decimal") << "12.5" << digits_first << u"十二点五"_qs;
    QTest::newRow("3 percent") << "100%" << digits_first << u"百分之一百"_qs;
    QTest::newRow("3 currency") << u"￥100"_qs << digits_first << u"一百元"_qs;
    QTest::newRow("3 year") << u"2024年"_qs << digits_first << u"二零二四年"_qs;
    QTest::newRow("3 duration") << u"3年"_qs << digits_first << u"三年"_qs;
    QTest::newRow("3 grouped") << "1,234" << digits_first << u"一二三四"_qs;
}

void TestNumberNormaliser::normalise_readsChineseNumbers()
{
    QFETCH(QString, text);
    QFETCH(NumberReading, reading);
    QFETCH(QString, expected);
    const std::u32string out = normalise_numbers(text.toStdU32String(), reading, NumberLanguage::Chinese);
    QCOMPARE(QString::fromStdU32String(out), expected);
}

void TestNumberNormaliser::normalise_shapesOtherLanguages_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<NumberReading>("reading");
    QTest::addColumn<QString>("expected");
    const auto values = NumberReading::ValuesFirst;
    QTest::newRow("0 value left to espeak") << "I have 1,234 cats" << values << "I have 1,234 cats";
    QTest::newRow("0 decimal") << "pi is 3.14" << values << "pi is 3.14";
    QTest::newRow("0 phone spelled") << "call 13800138000" << values << "call 1 3 8 0 0 1 3 8 0 0 0";
    QTest::newRow("0 leading zero") << "agent 007" << values << "agent 0 0 7";
    QTest::newRow("0 full-width narrowed") << u"１２．５％"_qs << values << "12.5%";
    QTest::newRow("1 phone as value") << "13800138000" << NumberReading::AlwaysValues << "13800138000";
    QTest::newRow("2 decimal") << "12.34" << NumberReading::AlwaysDigits << "1 2.3 4";
    QTest::newRow("2 percent") << "100%" << NumberReading::AlwaysDigits << "1 0 0%";
    QTest::newRow("2 negative grouped") << "-1,234" << NumberReading::AlwaysDigits << "-1 2 3 4";
    QTest::newRow("3 bare") << "room 42" << NumberReading::DigitsFirst << "room 4 2";
    QTest::newRow("3 unit") << "42 kg" << NumberReading::DigitsFirst << "42 kg";
    QTest::newRow("3 word kept") << "the 3rd" << NumberReading::DigitsFirst << "the 3rd";
}

void TestNumberNormaliser::normalise_shapesOtherLanguages()
{
    QFETCH(QString, text);
    QFETCH(NumberReading, reading);
    QFETCH(QString, expected);
    const std::u32string out = normalise_numbers(text.toStdU32String(), reading, NumberLanguage::Other);
    QCOMPARE(QString::fromStdU32String(out), expected);
}

void TestNumberNormaliser::normalise_leavesTextWithoutNumbersAlone()
{
    const QString text = u"今天天气很好, it's fine. 〇 ¥ $ - % ."_qs;
    for (const auto reading : {NumberReading::ValuesFirst, NumberReading::AlwaysValues, NumberReading::AlwaysDigits,
                               NumberReading::DigitsFirst}) {
        for (const auto language : {NumberLanguage::Chinese, NumberLanguage::Other})
            QCOMPARE(QString::fromStdU32String(normalise_numbers(text.toStdU32String(), reading, language)), text);
    }
}

QTEST_GUILESS_MAIN(TestNumberNormaliser)
#include "test_number_normaliser.moc"
