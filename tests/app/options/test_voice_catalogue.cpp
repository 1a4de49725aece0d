// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/options/list_selection.h"
#include "option_window.h"
#include "options/option_tables.h"
#include "options/voice_entries.h"
#include "platform/gbk.h"

#include <QComboBox>
#include <QSet>
#include <QTest>

class TestVoiceCatalogue final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void fillVoiceList_showsVoicesOfEngineType_data();
    void fillVoiceList_showsVoicesOfEngineType();
    void fillVoiceList_keepsGbkEntriesParallelToItems();
    void fillVoiceList_withoutEngineTypeLeavesListEmpty();
    void engineTypePick_rebuildsAndSelectsFirstVoice();
    void voiceIds_uniqueAcrossCatalogue();

private:
    OptionWindow *m_window = nullptr;
};

void TestVoiceCatalogue::init()
{
    m_window = new OptionWindow;
    m_window->controls.engine_type->addItems(option_tables::items(option_tables::FixedList::EngineType));
}

void TestVoiceCatalogue::cleanup()
{
    delete m_window;
    m_window = nullptr;
}

void TestVoiceCatalogue::fillVoiceList_showsVoicesOfEngineType_data()
{
    QTest::addColumn<int>("engineType");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<int>("sample");
    QTest::addColumn<QString>("sampleText");
    QTest::addColumn<QByteArray>("sampleId");
    QTest::newRow("chinese, 20th voice") << 0 << 22 << QStringLiteral("小燕(青年女声)")
                                         << QStringLiteral("唐老鸭(卡通)") << 19 << QStringLiteral("许小宝(少男童声)")
                                         << QByteArray("aisBABYXu");
    QTest::newRow("english, 4th voice") << 1 << 5 << QStringLiteral("凯瑟琳(青年女声)")
                                        << QStringLiteral("Tom(青年男声)") << 3 << QStringLiteral("John(青年男声)")
                                        << QByteArray("aisjohn");
    QTest::newRow("dialects, 2nd voice") << 2 << 8 << QStringLiteral("小梅(青年女声[粤语])")
                                         << QStringLiteral("大龙(青年男声[粤语])") << 1
                                         << QStringLiteral("小莉(青年女声[台普])") << QByteArray("vixl");
    QTest::newRow("languages, 6th voice")
        << 3 << 6 << QStringLiteral("玛丽安(青年女声[法语])") << QStringLiteral("小云(青年女声[越南语])") << 5
        << QStringLiteral("小云(青年女声[越南语])") << QByteArray("XiaoYun");
}

void TestVoiceCatalogue::fillVoiceList_showsVoicesOfEngineType()
{
    QFETCH(int, engineType);
    QFETCH(int, count);
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(int, sample);
    QFETCH(QString, sampleText);
    QFETCH(QByteArray, sampleId);
    QComboBox *voices = m_window->controls.voice;

    select_by_position(m_window->controls.engine_type, engineType);
    m_window->catalogue.fill_voice_list();

    QCOMPARE(voices->count(), count);
    QCOMPARE(voices->currentIndex(), 0);
    QCOMPARE(voices->itemText(0), first);
    QCOMPARE(voices->itemText(count - 1), last);
    voices->setCurrentIndex(sample);
    QCOMPARE(voices->currentText(), sampleText);
    QCOMPARE(m_window->catalogue.selected_voice_id(), sampleId);
}

void TestVoiceCatalogue::fillVoiceList_keepsGbkEntriesParallelToItems()
{
    QComboBox *voices = m_window->controls.voice;
    const QList<VoiceEntry> &entries = m_window->catalogue.voice_list();
    for (int type = 0; type < m_window->controls.engine_type->count(); ++type) {
        select_by_position(m_window->controls.engine_type, type);
        m_window->catalogue.fill_voice_list();
        QCOMPARE(entries.size(), voices->count());
        for (int i = 0; i < voices->count(); ++i)
            QCOMPARE(gbk::decode(entries.at(i).display_text), voices->itemText(i));
    }
    select_by_position(m_window->controls.engine_type, 0);
    m_window->catalogue.fill_voice_list();
    // 小燕 is D0 A1 D1 E0 in GBK; UTF-8 would be six bytes.
    QCOMPARE(entries.first().display_text, QByteArray("\xD0\xA1\xD1\xE0(\xC7\xE0\xC4\xEA\xC5\xAE\xC9\xF9)"));
}

void TestVoiceCatalogue::fillVoiceList_withoutEngineTypeLeavesListEmpty()
{
    select_by_position(m_window->controls.engine_type, 1);
    m_window->catalogue.fill_voice_list();
    QCOMPARE(m_window->controls.voice->count(), 5);

    select_by_position(m_window->controls.engine_type, -1);
    m_window->catalogue.fill_voice_list();
    QCOMPARE(m_window->controls.voice->count(), 0);
    QCOMPARE(m_window->controls.voice->currentIndex(), -1);
    QVERIFY(m_window->catalogue.voice_list().isEmpty());
    QVERIFY(m_window->catalogue.selected_voice_id().isEmpty());
}

void TestVoiceCatalogue::engineTypePick_rebuildsAndSelectsFirstVoice()
{
    QComboBox *types = m_window->controls.engine_type;
    QComboBox *voices = m_window->controls.voice;
    select_by_position(types, 0);
    m_window->catalogue.fill_voice_list();
    voices->setCurrentIndex(12);
    QCOMPARE(voices->currentText(), QStringLiteral("小宇(青年男声)"));

    QVERIFY(user_pick(types, 2));
    QCOMPARE(voices->count(), 8);
    QCOMPARE(m_window->catalogue.selected_voice_id(), QByteArray("vixm"));

    QVERIFY(user_pick(types, 0));
    QCOMPARE(voices->count(), 22);
    QCOMPARE(m_window->catalogue.voice_list().size(), 22);
    QCOMPARE(voices->currentText(), QStringLiteral("小燕(青年女声)"));
    QCOMPARE(m_window->catalogue.selected_voice_id(), QByteArray("xiaoyan"));
}

void TestVoiceCatalogue::voiceIds_uniqueAcrossCatalogue()
{
    QSet<QByteArray> ids;
    int total = 0;
    for (int type = 0; type < 4; ++type) {
        for (const VoiceEntry &entry : voice_entries(type)) {
            ids.insert(entry.voice_id);
            ++total;
        }
    }
    QCOMPARE(total, 41);
    QCOMPARE(ids.size(), total);
    QVERIFY(voice_entries(4).isEmpty());
    QVERIFY(voice_entries(-1).isEmpty());
}

QTEST_MAIN(TestVoiceCatalogue)
#include "test_voice_catalogue.moc"
