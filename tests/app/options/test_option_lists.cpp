// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/options/list_selection.h"
#include "option_window.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

class TestOptionLists final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void fill_freshStartShowsDefaults_data();
    void fill_freshStartShowsDefaults();
    void fill_rebuildsVoicesAndLevelsAfterSettings();
    void encodingPick_rebuildsLevels_data();
    void encodingPick_rebuildsLevels();
    void encodingPick_samePrefixStillResetsLevel();
    void noEncoding_leavesLevelsEmpty();
    void defaultsButton_restoresEveryListAndChineseVoices();
    void otherPicks_leaveVoiceAndLevelAlone();

private:
    QComboBox *list(const QString &name) const;
    void fill_with_defaults();

    OptionWindow *m_window = nullptr;
};

void TestOptionLists::init()
{
    m_window = new OptionWindow;
}

void TestOptionLists::cleanup()
{
    delete m_window;
    m_window = nullptr;
}

QComboBox *TestOptionLists::list(const QString &name) const
{
    return m_window->window.findChild<QComboBox *>(name);
}

void TestOptionLists::fill_with_defaults()
{
    m_window->lists.fill_fixed_items();
    m_window->lists.rebuild_dependent_lists();
}

void TestOptionLists::fill_freshStartShowsDefaults_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("text");
    QTest::newRow("engine type") << QStringLiteral("组合框_引擎类型") << 4 << 0 << QStringLiteral("中文语音引擎");
    QTest::newRow("voice") << QStringLiteral("组合框_发音人") << 22 << 0 << QStringLiteral("小燕(青年女声)");
    QTest::newRow("speed") << QStringLiteral("组合框_语速") << 5 << 2 << QStringLiteral("正常");
    QTest::newRow("volume") << QStringLiteral("组合框_音量") << 5 << 2 << QStringLiteral("正常");
    QTest::newRow("background") << QStringLiteral("组合框_背景音") << 2 << 0 << QStringLiteral("无");
    QTest::newRow("numbers") << QStringLiteral("组合框_数字发音") << 4 << 0 << QStringLiteral("数值优先");
    QTest::newRow("text type") << QStringLiteral("组合框_文本类型") << 2 << 0 << QStringLiteral("普通");
    QTest::newRow("text encoding") << QStringLiteral("组合框_文本编码") << 7 << 1 << QStringLiteral("GB2312");
    QTest::newRow("audio encoding") << QStringLiteral("组合框_音频编码") << 7 << 5 << QStringLiteral("speex");
    QTest::newRow("audio format") << QStringLiteral("组合框_音频格式") << 2 << 1
                                  << QStringLiteral("audio/L16;rate=16000");
    QTest::newRow("compression") << QStringLiteral("组合框_压缩等级") << 11 << 7 << QStringLiteral("7");
}

void TestOptionLists::fill_freshStartShowsDefaults()
{
    QFETCH(QString, name);
    QFETCH(int, count);
    QFETCH(int, position);
    QFETCH(QString, text);
    fill_with_defaults();
    QComboBox *combo = list(name);
    QVERIFY(combo != nullptr);
    QCOMPARE(combo->count(), count);
    QCOMPARE(combo->currentIndex(), position);
    QCOMPARE(combo->currentText(), text);
}

void TestOptionLists::fill_rebuildsVoicesAndLevelsAfterSettings()
{
    const Controls &c = m_window->controls;
    m_window->lists.fill_fixed_items();
    // The settings come after the defaults...
    QCOMPARE(c.voice->count(), 22);
    QCOMPARE(c.compression->currentText(), QStringLiteral("7"));
    // ...and restore positions the way the settings store does, by code.
    select_by_position(c.engine_type, 1);
    select_by_position(c.voice, 2);
    select_by_position(c.speed, 4);
    select_by_position(c.audio_encoding, 2);
    select_by_position(c.compression, 9);
    m_window->lists.rebuild_dependent_lists();
    QCOMPARE(c.voice->count(), 5);
    QCOMPARE(c.voice->currentText(), QStringLiteral("凯瑟琳(青年女声)"));
    QCOMPARE(m_window->catalogue.selected_voice_id(), QByteArray("Catherine"));
    QCOMPARE(c.compression->count(), 8);
    QCOMPARE(c.compression->currentText(), QStringLiteral("5"));
    QCOMPARE(c.speed->currentIndex(), 4);
}

void TestOptionLists::encodingPick_rebuildsLevels_data()
{
    QTest::addColumn<int>("encoding");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("selected");
    QTest::newRow("raw") << 0 << 1 << QStringLiteral("无压缩");
    QTest::newRow("amr-wb") << 3 << 8 << QStringLiteral("5");
    QTest::newRow("amr-wb-fx") << 4 << 8 << QStringLiteral("5");
    QTest::newRow("speex-wb") << 6 << 11 << QStringLiteral("7");
}

void TestOptionLists::encodingPick_rebuildsLevels()
{
    QFETCH(int, encoding);
    QFETCH(int, count);
    QFETCH(QString, selected);
    fill_with_defaults();
    QComboBox *levels = m_window->controls.compression;
    levels->setCurrentIndex(2);
    QVERIFY(user_pick(m_window->controls.audio_encoding, encoding));
    QCOMPARE(levels->count(), count);
    QCOMPARE(levels->currentText(), selected);
}

void TestOptionLists::encodingPick_samePrefixStillResetsLevel()
{
    fill_with_defaults();
    QComboBox *levels = m_window->controls.compression;
    QVERIFY(user_pick(m_window->controls.audio_encoding, 2));
    QCOMPARE(m_window->controls.audio_encoding->currentText(), QStringLiteral("amr-fx"));
    QVERIFY(user_pick(levels, 2));
    QVERIFY(user_pick(m_window->controls.audio_encoding, 1));
    QCOMPARE(m_window->controls.audio_encoding->currentText(), QStringLiteral("amr"));
    QCOMPARE(levels->count(), 8);
    QCOMPARE(levels->currentText(), QStringLiteral("5"));
}

void TestOptionLists::noEncoding_leavesLevelsEmpty()
{
    fill_with_defaults();
    select_by_position(m_window->controls.audio_encoding, -1);
    m_window->lists.fill_compression_levels();
    QCOMPARE(m_window->controls.compression->count(), 0);
    QCOMPARE(m_window->controls.compression->currentIndex(), -1);
}

void TestOptionLists::defaultsButton_restoresEveryListAndChineseVoices()
{
    fill_with_defaults();
    const Controls &c = m_window->controls;
    QList<QComboBox *> fixed{c.engine_type, c.speed,      c.volume,         c.text_type,   c.text_encoding,
                             c.numbers,     c.background, c.audio_encoding, c.audio_format};
    QList<int> defaults;
    for (QComboBox *combo : fixed) {
        defaults.append(combo->currentIndex());
        // Any other position will do; the last one differs from every default.
        QVERIFY(user_pick(combo, combo->currentIndex() == combo->count() - 1 ? 0 : combo->count() - 1));
    }
    QVERIFY(user_pick(c.engine_type, 2));
    QCOMPARE(c.voice->currentText(), QStringLiteral("小梅(青年女声[粤语])"));

    QTest::mouseClick(c.defaults, Qt::LeftButton);

    for (int i = 0; i < fixed.size(); ++i)
        QCOMPARE(fixed.at(i)->currentIndex(), defaults.at(i));
    QCOMPARE(c.voice->count(), 22);
    QCOMPARE(m_window->catalogue.voice_list().size(), 22);
    QCOMPARE(c.voice->currentText(), QStringLiteral("小燕(青年女声)"));
    QCOMPARE(c.compression->count(), 11);
    QCOMPARE(c.compression->currentText(), QStringLiteral("7"));
}

void TestOptionLists::otherPicks_leaveVoiceAndLevelAlone()
{
    fill_with_defaults();
    const Controls &c = m_window->controls;
    QVERIFY(user_pick(c.voice, 5));
    QVERIFY(user_pick(c.compression, 3));
    QVERIFY(user_pick(c.speed, 0));
    QVERIFY(user_pick(c.volume, 4));
    QVERIFY(user_pick(c.text_encoding, 6));
    QVERIFY(user_pick(c.audio_format, 0));
    QVERIFY(user_pick(c.background, 1));
    QVERIFY(user_pick(c.numbers, 3));
    QVERIFY(user_pick(c.text_type, 1));
    QCOMPARE(c.voice->count(), 22);
    QCOMPARE(c.voice->currentIndex(), 5);
    QCOMPARE(c.compression->count(), 11);
    QCOMPARE(c.compression->currentIndex(), 3);
}

QTEST_MAIN(TestOptionLists)
#include "test_option_lists.moc"
