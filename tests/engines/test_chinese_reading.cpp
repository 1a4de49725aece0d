// SPDX-License-Identifier: GPL-3.0-or-later
// How the Mandarin voices read Chinese: words and polyphones, tone changes in context, numbers
// in context, the user's readings and the 台普 accent, through the reading preview.

#include "reading_dictionary.h"
#include "reading_preview.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace speech;

class TestChineseReading : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void reading_followsWordsSandhiAndNumbers_data();
    void reading_followsWordsSandhiAndNumbers();
    void userReadings_skipBadLinesWithTheirNumbers();
    void userReadings_overrideTheDictionaryAndFollowTheFile();
    void userReadings_winInsideLongerWords_data();
    void userReadings_winInsideLongerWords();
    void taiwanVoice_mergesRetroflexesAndKeepsFullTones();
    void preview_refusesBadParameters();

private:
    QTemporaryDir m_config;
};

namespace {

QString reading(const QString &text, const char *voice = "xiaoyan", const char *numbers = "0")
{
    const std::string params =
        std::string("ssm=1,vcn=") + voice
        + ",spd=50,vol=50,ttp=text,tte=UTF8,bgs=0,aue=raw,auf=audio/L16;rate=16000,rdn=" + numbers;
    std::string out;
    const QByteArray utf8 = text.toUtf8();
    if (text_reading(params.c_str(), std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())), out)
        != 0)
        return QStringLiteral("<refused>");
    return QString::fromStdString(out);
}

void write_user_readings(const QString &folder, const QByteArray &text)
{
    QDir().mkpath(folder + QStringLiteral("/lumeno"));
    QFile file(folder + QStringLiteral("/lumeno/readings.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

} // namespace

void TestChineseReading::initTestCase()
{
    // No user readings unless a test writes them.
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
}

void TestChineseReading::reading_followsWordsSandhiAndNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char *name, const char16_t *text, const char *expected) {
        QTest::newRow(name) << QString::fromUtf16(text) << QString::fromLatin1(expected);
    };
    row("bank, anew", u"他在银行工作，请重新开始。",
        "ta1 zai4 yin2 hang2 gong1 zuo4 \xef\xbc\x8c qing3 chong2 xin1 kai1 shi3 \xe3\x80\x82");
    row("grow up", u"我们一起长大", "wo3 men5 yi4 qi3 zhang3 da4");
    row("music, joy", u"音乐让人快乐", "yin1 yue4 rang4 ren2 kuai4 le4");
    row("pay back", u"明天还钱", "ming2 tian1 huan2 qian2");
    row("sleep", u"他睡觉了", "ta1 shui4 jiao4 le5");
    row("fell asleep", u"他睡着了", "ta1 shui4 zhao2 le5");
    row("place", u"这个地方", "zhe4 ge4 di4 fang5");
    row("bank president", u"行长在银行", "hang2 zhang3 zai4 yin2 hang2");
    row("feel", u"我觉得", "wo3 jue2 de5");
    row("things", u"重要的东西", "zhong4 yao4 de5 dong1 xi5");
    row("yi before 4th", u"一个一样", "yi2 ge4 yi2 yang4");
    row("yi before others", u"一天一年一起", "yi4 tian1 yi4 nian2 yi4 qi3");
    row("yi ordinal and final", u"第一，统一", "di4 yi1 \xef\xbc\x8c tong3 yi1");
    row("yi in numbers", u"十一", "shi2 yi1");
    row("yi between a repeated verb", u"看一看", "kan4 yi5 kan4");
    row("bu", u"不是不好", "bu2 shi4 bu4 hao3");
    row("third tones", u"你好", "ni2 hao3");
    row("third tones of three", u"展览馆", "zhan2 lan2 guan3");
    row("third tones paired from the right", u"我很好", "wo3 hen2 hao3");
    row("neutral suffixes", u"孩子们的桌子", "hai2 zi5 men5 de5 zhuo1 zi5");
    row("particle zhe", u"他看着我笑了", "ta1 kan4 zhe5 wo3 xiao4 le5");
    row("liang before a measure word", u"2个人", "liang3 ge4 ren2");
    row("liang in thousands", u"2000元", "liang3 qian1 yuan2");
    row("er as ordinal", u"第2名", "di4 er4 ming2");
    row("er as decimal", u"2.5", "er4 dian2 wu3");
    row("time", u"12:30", "shi2 er4 dian3 san1 shi2 fen1");
    row("time with seconds", u"8:05:30", "ba1 dian3 ling2 wu3 fen1 san1 shi2 miao3");
    row("date with hyphens", u"2008-08-08", "er4 ling2 ling2 ba1 nian2 ba1 yue4 ba1 ri4");
    row("date with slashes", u"2008/8/8", "er4 ling2 ling2 ba1 nian2 ba1 yue4 ba1 ri4");
    row("date in words", u"2008年8月8日", "er4 ling2 ling2 ba1 nian2 ba1 yue4 ba1 ri4");
    row("fraction", u"1/2", "er4 fen1 zhi1 yi1");
    row("range", u"3-5天", "san1 dao4 wu3 tian1");
    row("percent range", u"3%-5%", "bai3 fen1 zhi1 san1 dao4 bai3 fen1 zhi1 wu3");
    row("below zero", u"-5℃", "ling2 xia4 wu3 she4 shi4 du4");
    row("version", u"v2.1.3", "v er4 dian3 yi1 dian3 san1");
    row("phone number", u"13800138000", "yi1 san1 ba1 ling2 ling2 yi1 san1 ba1 ling2 ling2 ling2");
    row("latin words stay", u"我用iPhone打电话", "wo3 yong4 iPhone da3 dian4 hua4");
    // Polyphones: words the table had wrong, the network's choice, then the context's.
    row("anxious, adverbial de", u"别着急，慢慢地走。", "bie2 zhao2 ji2 \xef\xbc\x8c man4 man4 de5 zou3 \xe3\x80\x82");
    row("teach", u"他在学校教书", "ta1 zai4 xue2 xiao4 jiao1 shu1");
    row("count", u"请你数钱", "qing2 ni3 shu3 qian2");
    row("network: surname before a title", u"我们班的翟老师", "wo3 men5 ban1 de5 zhai2 lao3 shi1");
    row("network: kind of", u"这种水果很甜", "zhe4 zhong3 shui2 guo3 hen3 tian2");
    row("adjective after a degree word", u"这条河很长", "zhe4 tiao2 he2 hen3 chang2");
    row("measure word after a numeral", u"桌上有一只猫", "zhuo1 shang4 you3 yi4 zhi1 mao1");
    row("volume is not a roll", u"第一卷", "di4 yi1 juan4");
    row("surname after xing", u"我的老师姓曾", "wo3 de5 lao3 shi1 xing4 zeng1");
    row("de before a complement", u"他跑得很快", "ta1 pao3 de5 hen3 kuai4");
    row("dei as must", u"你得早点回家", "ni2 dei3 zao2 dian3 hui2 jia1");
    row("de won, not must", u"他得了第一名", "ta1 de2 le5 di4 yi1 ming2");
}

void TestChineseReading::reading_followsWordsSandhiAndNumbers()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(reading(text), QString::fromUtf8(expected.toLatin1()));
}

void TestChineseReading::userReadings_skipBadLinesWithTheirNumbers()
{
    const UserReadings user = parse_user_readings("\xEF\xBB\xBF# mine\n"
                                                  "\xe5\x8d\x95\xe4\xba\x8e chan2 yu2\n" // 单于
                                                  "\xe5\x8d\x95\xe4\xba\x8e\n"           // no pinyin
                                                  "abc a1 b2 c3\n"                       // not Chinese
                                                  "\xe5\x8d\x95 shan\n"                  // no tone
                                                  "\xe5\x8d\x95 shan4 yu2\n"             // two for one
                                                  "\r\n\xe9\x95\xbf\tchang2  # tab and comment\n");
    QCOMPARE(user.words.size(), std::size_t(2));
    QCOMPARE(user.words.at(U"单于").front().pinyin, std::string("chan"));
    QCOMPARE(user.words.at(U"长").front().tone, 2);
    QCOMPARE(user.problems.size(), std::size_t(4));
    const char *lines[] = {"line 3:", "line 4:", "line 5:", "line 6:"};
    for (std::size_t i = 0; i < user.problems.size(); ++i)
        QVERIFY2(user.problems[i].rfind(lines[i], 0) == 0, user.problems[i].c_str());
}

void TestChineseReading::userReadings_overrideTheDictionaryAndFollowTheFile()
{
    const QString before = reading(QStringLiteral("朝阳来了"));
    QCOMPARE(before, QStringLiteral("zhao1 yang2 lai2 le5"));
    write_user_readings(m_config.path(), "\xe6\x9c\x9d\xe9\x98\xb3 chao2 yang2\nbad line\n"); // 朝阳
    QCOMPARE(reading(QStringLiteral("朝阳来了")), QStringLiteral("chao2 yang2 lai2 le5"));
    // The file is read again when it changes (a longer one: size and time both differ).
    write_user_readings(m_config.path(), "\xe6\x9d\xa5\xe4\xba\x86 lai2 liao3\n# a comment that changes the size\n");
    QCOMPARE(reading(QStringLiteral("朝阳来了")), QStringLiteral("zhao1 yang2 lai2 liao3"));
    QFile::remove(m_config.path() + QStringLiteral("/lumeno/readings.txt"));
    QCOMPARE(reading(QStringLiteral("朝阳来了")), before);
}

void TestChineseReading::userReadings_winInsideLongerWords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("dictionary");
    QTest::addColumn<QString>("user");
    // 凤鸣朝阳 has a reading of its own, 朝阳花 is read as its parts; a single character of the
    // user's stays out of the dictionary's words (银行 keeps háng).
    QTest::newRow("word with a reading") << QStringLiteral("凤鸣朝阳") << QStringLiteral("feng4 ming2 zhao1 yang2")
                                         << QStringLiteral("feng4 ming2 chao2 yang2");
    QTest::newRow("word read as its parts")
        << QStringLiteral("朝阳花") << QStringLiteral("zhao1 yang2 hua1") << QStringLiteral("chao2 yang2 hua1");
    QTest::newRow("whole word") << QStringLiteral("朝阳") << QStringLiteral("zhao1 yang2")
                                << QStringLiteral("chao2 yang2");
    QTest::newRow("character inside a word")
        << QStringLiteral("银行") << QStringLiteral("yin2 hang2") << QStringLiteral("yin2 hang2");
    QTest::newRow("character alone") << QStringLiteral("行") << QStringLiteral("xing2") << QStringLiteral("hang2");
}

void TestChineseReading::userReadings_winInsideLongerWords()
{
    QFETCH(QString, text);
    QFETCH(QString, dictionary);
    QFETCH(QString, user);
    QCOMPARE(reading(text), dictionary);
    write_user_readings(m_config.path(), "\xe6\x9c\x9d\xe9\x98\xb3 chao2 yang2\n\xe8\xa1\x8c hang2\n"); // 朝阳, 行
    QCOMPARE(reading(text), user);
    QFile::remove(m_config.path() + QStringLiteral("/lumeno/readings.txt"));
}

void TestChineseReading::taiwanVoice_mergesRetroflexesAndKeepsFullTones()
{
    QCOMPARE(reading(QStringLiteral("知道这个东西"), "vixl"), QStringLiteral("zi1 dao4 ze4 ge4 dong1 xi1"));
    QCOMPARE(reading(QStringLiteral("知道这个东西"), "vixr"), QStringLiteral("zhi1 dao4 zhe4 ge4 dong1 xi5"));
}

void TestChineseReading::preview_refusesBadParameters()
{
    std::string out;
    QCOMPARE(text_reading("vcn=xiaoyan", "x", out), 2007);
    QCOMPARE(reading(QStringLiteral("你好"), "nobody"), QStringLiteral("<refused>"));
}

QTEST_GUILESS_MAIN(TestChineseReading)
#include "test_chinese_reading.moc"
