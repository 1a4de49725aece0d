// SPDX-License-Identifier: GPL-3.0-or-later
#include "module_voices.h"

#include <QSet>
#include <QTest>

class TestModuleVoices final : public QObject {
    Q_OBJECT

private slots:
    void listing_namesEveryVoiceOnceWithAType();
    void choice_followsVoiceLanguageAndType_data();
    void choice_followsVoiceLanguageAndType();
};

void TestModuleVoices::listing_namesEveryVoiceOnceWithAType()
{
    const QList<ModuleVoice> &all = module_voices();
    QCOMPARE(all.size(), 41);
    QSet<QByteArray> ids;
    static const QSet<QByteArray> types = {"male1",   "male2",   "male3",      "female1",
                                           "female2", "female3", "child_male", "child_female"};
    for (const ModuleVoice &voice : all) {
        ids.insert(voice.id);
        QVERIFY2(types.contains(voice.type), voice.id.constData());
        QVERIFY2(!voice.language.isEmpty(), voice.id.constData());
    }
    QCOMPARE(ids.size(), all.size());
}

void TestModuleVoices::choice_followsVoiceLanguageAndType_data()
{
    QTest::addColumn<QByteArray>("synthesis_voice");
    QTest::addColumn<QByteArray>("language");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("voice");
    QTest::newRow("zh female") << QByteArray() << QByteArray("zh") << QByteArray("female1") << QByteArray("xiaoyan");
    QTest::newRow("zh-CN male") << QByteArray() << QByteArray("zh-CN") << QByteArray("MALE1") << QByteArray("xiaoyu");
    QTest::newRow("zh second male") << QByteArray() << QByteArray("zh") << QByteArray("male2") << QByteArray("vixf");
    QTest::newRow("zh child") << QByteArray() << QByteArray("zh") << QByteArray("child_female") << QByteArray("aisnn");
    QTest::newRow("yue male") << QByteArray() << QByteArray("yue") << QByteArray("male1") << QByteArray("aisdalong");
    QTest::newRow("zh-yue female") << QByteArray() << QByteArray("zh-yue") << QByteArray("female1")
                                   << QByteArray("vixm");
    QTest::newRow("zh_HK") << QByteArray() << QByteArray("zh_HK") << QByteArray() << QByteArray("vixm");
    QTest::newRow("zh-TW") << QByteArray() << QByteArray("zh-TW") << QByteArray("male1") << QByteArray("vixl");
    QTest::newRow("en male") << QByteArray() << QByteArray("en") << QByteArray("male1") << QByteArray("henry");
    QTest::newRow("en-US no type") << QByteArray() << QByteArray("en-US") << QByteArray() << QByteArray("Catherine");
    // Cantonese has one male voice: a second male asked for gets him, not the first voice.
    QTest::newRow("yue male2") << QByteArray() << QByteArray("yue") << QByteArray("male2") << QByteArray("aisdalong");
    QTest::newRow("fr") << QByteArray() << QByteArray("fr") << QByteArray("male1") << QByteArray("Mariane");
    QTest::newRow("no language") << QByteArray() << QByteArray("c") << QByteArray("female1") << QByteArray("xiaoyan");
    QTest::newRow("unknown language") << QByteArray() << QByteArray("de") << QByteArray("male1")
                                      << QByteArray("xiaoyu");
    QTest::newRow("synthesis voice wins")
        << QByteArray("vixr") << QByteArray("en") << QByteArray("male1") << QByteArray("vixr");
    QTest::newRow("unknown synthesis voice")
        << QByteArray("nobody") << QByteArray("yue") << QByteArray("male1") << QByteArray("aisdalong");
    // Voice ids keep their letter case.
    QTest::newRow("id case") << QByteArray("catherine") << QByteArray("zh") << QByteArray() << QByteArray("xiaoyan");
}

void TestModuleVoices::choice_followsVoiceLanguageAndType()
{
    QFETCH(QByteArray, synthesis_voice);
    QFETCH(QByteArray, language);
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, voice);
    QCOMPARE(choose_voice(synthesis_voice, language, type), voice);
}

QTEST_GUILESS_MAIN(TestModuleVoices)
#include "test_module_voices.moc"
