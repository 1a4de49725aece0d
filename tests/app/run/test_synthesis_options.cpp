// SPDX-License-Identifier: GPL-3.0-or-later
#include "../options/option_window.h"
#include "app/options/list_selection.h"
#include "app/run/synthesis_options.h"

#include <QComboBox>
#include <QTest>

class TestSynthesisOptions final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void read_freshStartGivesDesignedParameterText();
    void read_takesPositionsAndGbkItemTexts();
    void read_pickedVoiceSendsItsId_data();
    void read_pickedVoiceSendsItsId();
    void read_rawSendsNoLevel();

private:
    QByteArray parameter_text() const;

    OptionWindow *m_window = nullptr;
};

void TestSynthesisOptions::init()
{
    m_window = new OptionWindow;
    m_window->lists.fill_fixed_items();
    m_window->lists.rebuild_dependent_lists();
}

void TestSynthesisOptions::cleanup()
{
    delete m_window;
    m_window = nullptr;
}

QByteArray TestSynthesisOptions::parameter_text() const
{
    return SessionParams::build(read_synthesis_options(m_window->controls, m_window->catalogue));
}

void TestSynthesisOptions::read_freshStartGivesDesignedParameterText()
{
    QCOMPARE(parameter_text(), QByteArray("ssm=1,vcn=xiaoyan,spd=medium,vol=medium,ttp=text,tte=GB2312,bgs=0,"
                                          "aue=speex;7,auf=audio/L16;rate=16000,rdn=0"));
}

void TestSynthesisOptions::read_takesPositionsAndGbkItemTexts()
{
    const Controls &c = m_window->controls;
    QVERIFY(user_pick(c.engine_type, 2));
    QVERIFY(user_pick(c.voice, 1));
    QVERIFY(user_pick(c.speed, 4));
    QVERIFY(user_pick(c.volume, 0));
    QVERIFY(user_pick(c.background, 1));
    QVERIFY(user_pick(c.numbers, 3));
    QVERIFY(user_pick(c.text_encoding, 0));
    QVERIFY(user_pick(c.text_type, 1));
    QVERIFY(user_pick(c.audio_format, 0));
    QVERIFY(user_pick(c.audio_encoding, 0));

    const SynthesisOptions o = read_synthesis_options(c, m_window->catalogue);
    QCOMPARE(o.compression, 0);
    QCOMPARE(o.voice_id, QByteArray("vixl"));
    QCOMPARE(o.text_encoding_text, QByteArray("AUTO"));
    QCOMPARE(o.audio_encoding_text, QByteArray("raw"));
    QCOMPARE(o.compression_text, QByteArray("\xCE\xDE\xD1\xB9\xCB\xF5")); // 无压缩 in GBK
    QCOMPARE(o.audio_format_text, QByteArray("audio/L16;rate=8000"));
    QCOMPARE(parameter_text(), QByteArray("ssm=1,vcn=vixl,spd=x-fast,vol=x-soft,ttp=ssml,tte=AUTO,bgs=1,aue=raw,"
                                          "auf=audio/L16;rate=8000,rdn=3"));

    select_by_position(c.audio_encoding, -1);
    m_window->lists.fill_compression_levels();
    const SynthesisOptions none = read_synthesis_options(c, m_window->catalogue);
    QCOMPARE(none.audio_encoding, -1);
    QCOMPARE(none.compression, -1);
    QVERIFY(none.audio_encoding_text.isEmpty());
    QVERIFY(none.compression_text.isEmpty());
}

void TestSynthesisOptions::read_pickedVoiceSendsItsId_data()
{
    QTest::addColumn<int>("engineType");
    QTest::addColumn<int>("voice");
    QTest::addColumn<QByteArray>("id");
    QTest::newRow("4th english") << 1 << 3 << QByteArray("aisjohn");
    QTest::newRow("20th chinese") << 0 << 19 << QByteArray("aisBABYXu");
    QTest::newRow("last language") << 3 << 5 << QByteArray("XiaoYun");
}

void TestSynthesisOptions::read_pickedVoiceSendsItsId()
{
    QFETCH(int, engineType);
    QFETCH(int, voice);
    QFETCH(QByteArray, id);
    QVERIFY(user_pick(m_window->controls.engine_type, engineType));
    QVERIFY(user_pick(m_window->controls.voice, voice));
    QVERIFY(parameter_text().startsWith("ssm=1,vcn=" + id + ",spd="));
}

void TestSynthesisOptions::read_rawSendsNoLevel()
{
    const Controls &c = m_window->controls;
    QVERIFY(user_pick(c.audio_encoding, 0));
    // Whatever the level list shows, raw goes without one.
    c.compression->addItem(QStringLiteral("3"));
    c.compression->setCurrentIndex(1);
    QVERIFY(parameter_text().contains(",aue=raw,auf="));
    QVERIFY(user_pick(c.audio_encoding, 2));
    QVERIFY(user_pick(c.compression, 3));
    QVERIFY(parameter_text().contains(",aue=amr-fx;3,auf="));
}

QTEST_MAIN(TestSynthesisOptions)
#include "test_synthesis_options.moc"
