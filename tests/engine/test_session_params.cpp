// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/session_params.h"

#include <QTest>

namespace {

// The selections a fresh start shows: 小燕, normal speed and volume, plain text, GB2312, no
// background, speex at level 7, 16 kHz, the first number-reading mode.
SynthesisOptions defaults()
{
    SynthesisOptions o;
    o.engine_type = 0;
    o.voice = 0;
    o.voice_id = "xiaoyan";
    o.speed = 2;
    o.volume = 2;
    o.text_type = 0;
    o.text_encoding = 1;
    o.text_encoding_text = "GB2312";
    o.background = 0;
    o.numbers = 0;
    o.audio_encoding = 5;
    o.audio_encoding_text = "speex";
    o.compression = 7;
    o.compression_text = "7";
    o.audio_format = 1;
    o.audio_format_text = "audio/L16;rate=16000";
    return o;
}

using Change = void (*)(SynthesisOptions &);

} // namespace

Q_DECLARE_METATYPE(Change)

class TestSessionParams final : public QObject {
    Q_OBJECT

private slots:
    void build_defaultsGiveExactText();
    void build_mapsEachKindOfList_data();
    void build_leavesAListWithoutSelectionBlank_data();
    void build_leavesAListWithoutSelectionBlank() { build_mapsEachKindOfList(); }
    void build_mapsEachKindOfList();
};

void TestSessionParams::build_defaultsGiveExactText()
{
    QCOMPARE(SessionParams::build(defaults()),
             QByteArray("ssm=1,vcn=xiaoyan,spd=medium,vol=medium,ttp=text,tte=GB2312,bgs=0,aue=speex;7,"
                        "auf=audio/L16;rate=16000,rdn=0"));
}

namespace {

void add_list_columns()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("expected");
}

} // namespace

void TestSessionParams::build_mapsEachKindOfList_data()
{
    add_list_columns();

    QTest::newRow("raw has no level") << Change([](SynthesisOptions &o) {
        o.audio_encoding = 0;
        o.audio_encoding_text = "raw";
        o.compression = 3;
        o.compression_text = "3";
    }) << QByteArray("aue") << QByteArray("raw");
    QTest::newRow("raw with its own level") << Change([](SynthesisOptions &o) {
        o.audio_encoding = 0;
        o.audio_encoding_text = "raw";
        o.compression = 0;
        o.compression_text = "\xCE\xDE\xD1\xB9\xCB\xF5"; // 无压缩
    }) << QByteArray("aue") << QByteArray("raw");
    QTest::newRow("amr-fx level 3") << Change([](SynthesisOptions &o) {
        o.audio_encoding = 2;
        o.audio_encoding_text = "amr-fx";
        o.compression = 3;
        o.compression_text = "3";
    }) << QByteArray("aue") << QByteArray("amr-fx;3");
    QTest::newRow("speex-wb level 10") << Change([](SynthesisOptions &o) {
        o.audio_encoding = 6;
        o.audio_encoding_text = "speex-wb";
        o.compression = 10;
        o.compression_text = "10";
    }) << QByteArray("aue") << QByteArray("speex-wb;10");
    QTest::newRow("text encoding AUTO") << Change([](SynthesisOptions &o) {
        o.text_encoding = 0;
        o.text_encoding_text = "AUTO";
    }) << QByteArray("tte") << QByteArray("AUTO");
    QTest::newRow("second background") << Change([](SynthesisOptions &o) { o.background = 1; }) << QByteArray("bgs")
                                       << QByteArray("1");
    QTest::newRow("fourth number reading")
        << Change([](SynthesisOptions &o) { o.numbers = 3; }) << QByteArray("rdn") << QByteArray("3");
    QTest::newRow("slowest") << Change([](SynthesisOptions &o) { o.speed = 0; }) << QByteArray("spd")
                             << QByteArray("x-slow");
    QTest::newRow("fastest") << Change([](SynthesisOptions &o) { o.speed = 4; }) << QByteArray("spd")
                             << QByteArray("x-fast");
    QTest::newRow("lowest") << Change([](SynthesisOptions &o) { o.volume = 0; }) << QByteArray("vol")
                            << QByteArray("x-soft");
    QTest::newRow("higher") << Change([](SynthesisOptions &o) { o.volume = 3; }) << QByteArray("vol")
                            << QByteArray("loud");
    QTest::newRow("ssml") << Change([](SynthesisOptions &o) { o.text_type = 1; }) << QByteArray("ttp")
                          << QByteArray("ssml");
    QTest::newRow("8 kHz") << Change([](SynthesisOptions &o) {
        o.audio_format = 0;
        o.audio_format_text = "audio/L16;rate=8000";
    }) << QByteArray("auf") << QByteArray("audio/L16;rate=8000");
    QTest::newRow("voice id case kept") << Change([](SynthesisOptions &o) { o.voice_id = "aisBABYXu"; })
                                        << QByteArray("vcn") << QByteArray("aisBABYXu");
}

// A list without selection: a word-mapped list sends nothing, a position sends -1, an item text
// is empty; any encoding but the first keeps the separator, even with no level.
void TestSessionParams::build_leavesAListWithoutSelectionBlank_data()
{
    add_list_columns();
    QTest::newRow("no speed") << Change([](SynthesisOptions &o) { o.speed = -1; }) << QByteArray("spd") << QByteArray();
    QTest::newRow("speed past the words")
        << Change([](SynthesisOptions &o) { o.speed = 5; }) << QByteArray("spd") << QByteArray();
    QTest::newRow("no volume") << Change([](SynthesisOptions &o) { o.volume = -1; }) << QByteArray("vol")
                               << QByteArray();
    QTest::newRow("no text type") << Change([](SynthesisOptions &o) { o.text_type = -1; }) << QByteArray("ttp")
                                  << QByteArray();
    QTest::newRow("no background") << Change([](SynthesisOptions &o) { o.background = -1; }) << QByteArray("bgs")
                                   << QByteArray("-1");
    QTest::newRow("no number reading") << Change([](SynthesisOptions &o) { o.numbers = -1; }) << QByteArray("rdn")
                                       << QByteArray("-1");
    QTest::newRow("no text encoding") << Change([](SynthesisOptions &o) {
        o.text_encoding = -1;
        o.text_encoding_text.clear();
    }) << QByteArray("tte") << QByteArray();
    QTest::newRow("no format") << Change([](SynthesisOptions &o) {
        o.audio_format = -1;
        o.audio_format_text.clear();
    }) << QByteArray("auf") << QByteArray();
    QTest::newRow("no level") << Change([](SynthesisOptions &o) {
        o.compression = -1;
        o.compression_text.clear();
    }) << QByteArray("aue") << QByteArray("speex;");
    QTest::newRow("no encoding, no level") << Change([](SynthesisOptions &o) {
        o.audio_encoding = -1;
        o.audio_encoding_text.clear();
        o.compression = -1;
        o.compression_text.clear();
    }) << QByteArray("aue") << QByteArray(";");
    QTest::newRow("no voice") << Change([](SynthesisOptions &o) {
        o.voice = -1;
        o.voice_id.clear();
    }) << QByteArray("vcn") << QByteArray();
}

void TestSessionParams::build_mapsEachKindOfList()
{
    QFETCH(Change, change);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, expected);
    SynthesisOptions options = defaults();
    change(options);
    const QList<QByteArray> pairs = SessionParams::build(options).split(',');
    const QList<QByteArray> reference = SessionParams::build(defaults()).split(',');
    // The same ten keys in the same order; only the changed key's value differs.
    QCOMPARE(pairs.size(), reference.size());
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        const QByteArray name = reference.at(i).left(reference.at(i).indexOf('=') + 1);
        QVERIFY2(pairs.at(i).startsWith(name), pairs.at(i).constData());
        QCOMPARE(pairs.at(i), name == key + '=' ? name + expected : reference.at(i));
    }
}

QTEST_GUILESS_MAIN(TestSessionParams)
#include "test_session_params.moc"
