// SPDX-License-Identifier: GPL-3.0-or-later
// The session parameter text of QTTSSessionBegin.

#include "synthesis_settings.h"

#include <QTest>

using namespace speech;

Q_DECLARE_METATYPE(speech::AudioEncoding)
Q_DECLARE_METATYPE(speech::TextEncoding)
Q_DECLARE_METATYPE(speech::SettingsError)

class TestSynthesisSettings : public QObject {
    Q_OBJECT

private slots:
    void parse_readsTheProgramsExample();
    void parse_mapsWordsAndNumbersOntoOneScale_data();
    void parse_mapsWordsAndNumbersOntoOneScale();
    void parse_readsEveryTextEncoding_data();
    void parse_readsEveryTextEncoding();
    void parse_readsAudioEncodingAndLevel_data();
    void parse_readsAudioEncodingAndLevel();
    void parse_rejectsBadText_data();
    void parse_rejectsBadText();
    void parse_reportsUnknownVoiceApart_data();
    void parse_reportsUnknownVoiceApart();
};

namespace {

const QByteArray example =
    "ssm=1,vcn=xiaoyan,spd=medium,vol=medium,ttp=text,tte=GB2312,bgs=0,aue=speex;7,auf=audio/L16;rate=16000,rdn=0";

// The example with one key's value replaced (or the pair removed when value is null).
QByteArray with(const QByteArray &key, const QByteArray &value)
{
    QList<QByteArray> pairs = example.split(',');
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        if (pairs[i].startsWith(key + '=')) {
            if (value.isNull())
                pairs.removeAt(i);
            else
                pairs[i] = key + '=' + value;
            break;
        }
    }
    return pairs.join(',');
}

SettingsError parse(const QByteArray &text, SynthesisSettings &settings)
{
    return parse_synthesis_settings(std::string_view(text.constData(), std::size_t(text.size())), settings);
}

} // namespace

void TestSynthesisSettings::parse_readsTheProgramsExample()
{
    SynthesisSettings s;
    QCOMPARE(parse(example, s), SettingsError::None);
    QCOMPARE(s.voice_id, std::string("xiaoyan"));
    QCOMPARE(s.speed, 50);
    QCOMPARE(s.volume, 50);
    QCOMPARE(s.text_type, TextType::Plain);
    QCOMPARE(s.text_encoding, TextEncoding::Gb2312);
    QCOMPARE(s.background, false);
    QCOMPARE(s.audio_encoding, AudioEncoding::Speex);
    QCOMPARE(s.level, 7);
    QCOMPARE(s.sample_rate, 16000);
    QCOMPARE(s.number_reading, NumberReading::ValuesFirst);
}

void TestSynthesisSettings::parse_mapsWordsAndNumbersOntoOneScale_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("expected");
    const QList<QByteArray> speeds{"x-slow", "slow", "medium", "fast", "x-fast"};
    const QList<QByteArray> volumes{"x-soft", "soft", "medium", "loud", "x-loud"};
    for (int i = 0; i < 5; ++i) {
        QTest::addRow("spd %s", speeds[i].constData()) << QByteArray("spd") << speeds[i] << i * 25;
        QTest::addRow("vol %s", volumes[i].constData()) << QByteArray("vol") << volumes[i] << i * 25;
    }
    QTest::newRow("spd 0") << QByteArray("spd") << QByteArray("0") << 0;
    QTest::newRow("spd 73") << QByteArray("spd") << QByteArray("73") << 73;
    QTest::newRow("vol 100") << QByteArray("vol") << QByteArray("100") << 100;
}

void TestSynthesisSettings::parse_mapsWordsAndNumbersOntoOneScale()
{
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QFETCH(int, expected);
    SynthesisSettings s;
    QCOMPARE(parse(with(key, value), s), SettingsError::None);
    QCOMPARE(key == "spd" ? s.speed : s.volume, expected);
}

void TestSynthesisSettings::parse_readsEveryTextEncoding_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<TextEncoding>("expected");
    QTest::newRow("AUTO") << QByteArray("AUTO") << TextEncoding::Auto;
    QTest::newRow("GB2312") << QByteArray("GB2312") << TextEncoding::Gb2312;
    QTest::newRow("GBK") << QByteArray("GBK") << TextEncoding::Gbk;
    QTest::newRow("BIG5") << QByteArray("BIG5") << TextEncoding::Big5;
    QTest::newRow("UNICODE") << QByteArray("UNICODE") << TextEncoding::Unicode;
    QTest::newRow("GB18030") << QByteArray("GB18030") << TextEncoding::Gb18030;
    QTest::newRow("UTF8") << QByteArray("UTF8") << TextEncoding::Utf8;
}

void TestSynthesisSettings::parse_readsEveryTextEncoding()
{
    QFETCH(QByteArray, value);
    QFETCH(TextEncoding, expected);
    SynthesisSettings s;
    QCOMPARE(parse(with("tte", value), s), SettingsError::None);
    QCOMPARE(s.text_encoding, expected);
}

void TestSynthesisSettings::parse_readsAudioEncodingAndLevel_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<AudioEncoding>("encoding");
    QTest::addColumn<int>("level");
    QTest::newRow("raw") << QByteArray("raw") << AudioEncoding::Raw << 0;
    QTest::newRow("amr;0") << QByteArray("amr;0") << AudioEncoding::Amr << 0;
    QTest::newRow("amr-fx;3") << QByteArray("amr-fx;3") << AudioEncoding::AmrFx << 3;
    QTest::newRow("amr-wb;5") << QByteArray("amr-wb;5") << AudioEncoding::AmrWb << 5;
    QTest::newRow("amr-wb-fx;7") << QByteArray("amr-wb-fx;7") << AudioEncoding::AmrWbFx << 7;
    QTest::newRow("speex;10") << QByteArray("speex;10") << AudioEncoding::Speex << 10;
    QTest::newRow("speex-wb;0") << QByteArray("speex-wb;0") << AudioEncoding::SpeexWb << 0;
    QTest::newRow("amr without level") << QByteArray("amr") << AudioEncoding::Amr << 5;
    QTest::newRow("speex without level") << QByteArray("speex") << AudioEncoding::Speex << 7;
}

void TestSynthesisSettings::parse_readsAudioEncodingAndLevel()
{
    QFETCH(QByteArray, value);
    QFETCH(AudioEncoding, encoding);
    QFETCH(int, level);
    SynthesisSettings s;
    QCOMPARE(parse(with("aue", value), s), SettingsError::None);
    QCOMPARE(s.audio_encoding, encoding);
    QCOMPARE(s.level, level);
}

void TestSynthesisSettings::parse_rejectsBadText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("empty") << QByteArray();
    for (const char *key : {"ssm", "vcn", "spd", "vol", "ttp", "tte", "bgs", "aue", "auf", "rdn"})
        QTest::addRow("without %s", key) << with(key, QByteArray());
    QTest::newRow("unknown key") << example + ",pit=50";
    QTest::newRow("key twice") << example + ",rdn=1";
    QTest::newRow("trailing comma") << example + ',';
    QTest::newRow("ssm 2") << with("ssm", "2");
    QTest::newRow("spd 101") << with("spd", "101");
    QTest::newRow("spd negative") << with("spd", "-1");
    QTest::newRow("spd upper case") << with("spd", "MEDIUM");
    QTest::newRow("spd empty") << with("spd", "");
    QTest::newRow("vol x-large") << with("vol", "x-large");
    QTest::newRow("vol 50%") << with("vol", "50%");
    QTest::newRow("ttp html") << with("ttp", "html");
    QTest::newRow("tte utf-8") << with("tte", "utf-8");
    QTest::newRow("tte LATIN1") << with("tte", "LATIN1");
    QTest::newRow("bgs 2") << with("bgs", "2");
    QTest::newRow("aue mp3") << with("aue", "mp3");
    QTest::newRow("aue raw with level") << with("aue", "raw;0");
    QTest::newRow("aue amr level 8") << with("aue", "amr;8");
    QTest::newRow("aue amr-wb level 7x") << with("aue", "amr-wb;7x");
    QTest::newRow("aue speex level 11") << with("aue", "speex;11");
    QTest::newRow("aue speex empty level") << with("aue", "speex;");
    QTest::newRow("aue speex level -1") << with("aue", "speex;-1");
    QTest::newRow("auf 44100") << with("auf", "audio/L16;rate=44100");
    QTest::newRow("auf without rate") << with("auf", "audio/L16");
    QTest::newRow("rdn 4") << with("rdn", "4");
    QTest::newRow("rdn empty") << with("rdn", "");
}

void TestSynthesisSettings::parse_rejectsBadText()
{
    QFETCH(QByteArray, text);
    SynthesisSettings s;
    s.speed = 12;
    QCOMPARE(parse(text, s), SettingsError::Malformed);
    QCOMPARE(s.speed, 12); // untouched on failure
}

void TestSynthesisSettings::parse_reportsUnknownVoiceApart_data()
{
    QTest::addColumn<QByteArray>("voice");
    QTest::addColumn<SettingsError>("expected");
    QTest::newRow("catalogue voice") << QByteArray("aisBABYXu") << SettingsError::None;
    QTest::newRow("last voice") << QByteArray("XiaoYun") << SettingsError::None;
    QTest::newRow("unknown") << QByteArray("nobody") << SettingsError::UnknownVoice;
    QTest::newRow("letter case differs") << QByteArray("XIAOYAN") << SettingsError::UnknownVoice;
    QTest::newRow("empty") << QByteArray("") << SettingsError::UnknownVoice;
}

void TestSynthesisSettings::parse_reportsUnknownVoiceApart()
{
    QFETCH(QByteArray, voice);
    QFETCH(SettingsError, expected);
    SynthesisSettings s;
    QCOMPARE(parse(with("vcn", voice), s), expected);
    if (expected == SettingsError::None)
        QCOMPARE(s.voice_id, voice.toStdString());
}

QTEST_GUILESS_MAIN(TestSynthesisSettings)
#include "test_synthesis_settings.moc"
