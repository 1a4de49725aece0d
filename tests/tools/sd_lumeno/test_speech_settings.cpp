// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech_settings.h"

#include <QTest>

class TestSpeechSettings final : public QObject {
    Q_OBJECT

private slots:
    void apply_takesValidValuesOnly_data();
    void apply_takesValidValuesOnly();
    void params_carryContinuousRateVolumeAndTheVoice();
};

void TestSpeechSettings::apply_takesValidValuesOnly_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("taken");
    QTest::newRow("rate") << QByteArray("rate=-100") << true;
    QTest::newRow("rate above") << QByteArray("rate=101") << false;
    QTest::newRow("rate not a number") << QByteArray("rate=fast") << false;
    QTest::newRow("pitch_range") << QByteArray("pitch_range=50") << true;
    QTest::newRow("punctuation") << QByteArray("punctuation_mode=most") << true;
    QTest::newRow("punctuation unknown") << QByteArray("punctuation_mode=loud") << false;
    QTest::newRow("capitals") << QByteArray("cap_let_recogn=icon") << true;
    QTest::newRow("spelling") << QByteArray("spelling_mode=on") << true;
    QTest::newRow("spelling unknown") << QByteArray("spelling_mode=yes") << false;
    QTest::newRow("voice unset") << QByteArray("synthesis_voice=NULL") << true;
    QTest::newRow("unknown name") << QByteArray("speed=10") << false;
    QTest::newRow("no name") << QByteArray("=10") << false;
}

void TestSpeechSettings::apply_takesValidValuesOnly()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, taken);
    SpeechSettings settings;
    QCOMPARE(settings.apply(line), taken);
    if (!taken) // a refused value changes nothing
        QCOMPARE(settings.session_params(), SpeechSettings().session_params());
}

void TestSpeechSettings::params_carryContinuousRateVolumeAndTheVoice()
{
    SpeechSettings settings;
    QCOMPARE(settings.session_params(), QByteArray("ssm=1,vcn=xiaoyan,spd=50,vol=50,ttp=ssml,tte=GB18030,bgs=0,aue=raw,"
                                                   "auf=audio/L16;rate=16000,rdn=0"));
    for (const QByteArray line : {"rate=-100", "volume=100", "language=zh-yue", "voice=male1"})
        QVERIFY(settings.apply(line));
    const QByteArray params = settings.session_params();
    QVERIFY2(params.contains(",vcn=aisdalong,spd=0,vol=100,"), params.constData());
    // Every step of Speech Dispatcher's scale is a step of the engine's, not one of five.
    QVERIFY(settings.apply("rate=37"));
    QVERIFY(settings.session_params().contains(",spd=68,"));
    QVERIFY(settings.apply("rate=-37"));
    QVERIFY(settings.session_params().contains(",spd=31,"));
}

QTEST_GUILESS_MAIN(TestSpeechSettings)
#include "test_speech_settings.moc"
