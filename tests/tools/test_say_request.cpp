// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/session_params.h"
#include "say/say_request.h"

#include <QTest>

class TestSayRequest final : public QObject {
    Q_OBJECT

private slots:
    void defaults_matchTheWindowDefaults();
    void choices_byItemTextWordOrPosition_data();
    void choices_byItemTextWordOrPosition();
    void voice_byIdOrName_data();
    void voice_byIdOrName();
    void errors_haveTheirExitCodes_data();
    void errors_haveTheirExitCodes();
    void output_decidesBetweenPlayingAndWriting();
    void workerCount_isCappedPerProcessor_data();
    void workerCount_isCappedPerProcessor();
};

void TestSayRequest::defaults_matchTheWindowDefaults()
{
    const ParseResult r = parse_say_arguments({QStringLiteral("你好")});
    QCOMPARE(r.error, ExitCode::Ok);
    QCOMPARE(SessionParams::build(r.request.options),
             QByteArray("ssm=1,vcn=xiaoyan,spd=medium,vol=medium,ttp=text,tte=GB2312,bgs=0,aue=speex;7,"
                        "auf=audio/L16;rate=16000,rdn=0"));
    QCOMPARE(r.request.texts, QStringList{QStringLiteral("你好")});
}

void TestSayRequest::choices_byItemTextWordOrPosition_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("expected"); // a piece the parameter text must hold
    const auto row = [](const char *name, std::initializer_list<const char16_t *> args, const char *piece) {
        QStringList list;
        for (const char16_t *a : args)
            list << QString::fromUtf16(a);
        QTest::newRow(name) << list << QByteArray(piece);
    };
    row("speed by item text", {u"--speed", u"较快"}, ",spd=fast,");
    row("speed by word", {u"--speed", u"x-slow"}, ",spd=x-slow,");
    row("speed by position", {u"--speed", u"4"}, ",spd=x-fast,");
    row("volume", {u"--volume", u"最高"}, ",vol=x-loud,");
    row("ssml flag", {u"--ssml"}, ",ttp=ssml,");
    row("numbers by position", {u"--numbers", u"2"}, ",rdn=2");
    row("numbers by text", {u"--numbers", u"字符串优先"}, ",rdn=3");
    row("background", {u"--background", u"梁祝"}, ",bgs=1,");
    row("format by rate", {u"--format", u"8000"}, ",auf=audio/L16;rate=8000,");
    row("raw takes no level", {u"--audio-encoding", u"raw"}, ",aue=raw,");
    row("amr default level", {u"--audio-encoding", u"amr-wb"}, ",aue=amr-wb;5,");
    row("chosen level", {u"--audio-encoding", u"speex-wb", u"--level", u"10"}, ",aue=speex-wb;10,");
    row("text encoding", {u"--text-encoding", u"utf8"}, ",tte=UTF8,");
}

void TestSayRequest::choices_byItemTextWordOrPosition()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, expected);
    const ParseResult r = parse_say_arguments(arguments);
    QCOMPARE(r.error, ExitCode::Ok);
    const QByteArray params = SessionParams::build(r.request.options);
    QVERIFY2(params.contains(expected), params.constData());
}

void TestSayRequest::voice_byIdOrName_data()
{
    QTest::addColumn<QString>("voice");
    QTest::addColumn<QByteArray>("id");
    QTest::addColumn<int>("engine_type");
    QTest::newRow("id") << QStringLiteral("xiaoyu") << QByteArray("xiaoyu") << 0;
    QTest::newRow("id in other case") << QStringLiteral("aisbabyxu") << QByteArray("aisBABYXu") << 0;
    QTest::newRow("name") << QStringLiteral("小宇") << QByteArray("xiaoyu") << 0;
    QTest::newRow("display text") << QStringLiteral("小莉(青年女声[台普])") << QByteArray("vixl") << 2;
    QTest::newRow("english") << QStringLiteral("Catherine") << QByteArray("Catherine") << 1;
    QTest::newRow("other language") << QStringLiteral("XiaoYun") << QByteArray("XiaoYun") << 3;
}

void TestSayRequest::voice_byIdOrName()
{
    QFETCH(QString, voice);
    QFETCH(QByteArray, id);
    QFETCH(int, engine_type);
    const ParseResult r = parse_say_arguments({QStringLiteral("--voice"), voice, QStringLiteral("x")});
    QCOMPARE(r.error, ExitCode::Ok);
    QCOMPARE(r.request.options.voice_id, id);
    QCOMPARE(r.request.options.engine_type, engine_type);
}

void TestSayRequest::errors_haveTheirExitCodes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<ExitCode>("code");
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--loud")} << ExitCode::BadOption;
    QTest::newRow("missing value") << QStringList{QStringLiteral("--speed")} << ExitCode::BadOption;
    QTest::newRow("no such speed") << QStringList{QStringLiteral("--speed"), QStringLiteral("warp")}
                                   << ExitCode::BadOption;
    QTest::newRow("position past the list")
        << QStringList{QStringLiteral("--numbers"), QStringLiteral("4")} << ExitCode::BadOption;
    QTest::newRow("level out of range") << QStringList{QStringLiteral("--audio-encoding"), QStringLiteral("amr"),
                                                       QStringLiteral("--level"), QStringLiteral("9")}
                                        << ExitCode::BadOption;
    QTest::newRow("unknown voice") << QStringList{QStringLiteral("--voice"), QStringLiteral("nobody")}
                                   << ExitCode::UnknownVoice;
    QTest::newRow("one output for many files")
        << QStringList{QStringLiteral("-f"),    QStringLiteral("a.txt"), QStringLiteral("-f"),
                       QStringLiteral("b.txt"), QStringLiteral("-o"),    QStringLiteral("x.wav")}
        << ExitCode::BadOption;
    QTest::newRow("text and files") << QStringList{QStringLiteral("-f"), QStringLiteral("a.txt"), QStringLiteral("hi")}
                                    << ExitCode::BadOption;
}

void TestSayRequest::errors_haveTheirExitCodes()
{
    QFETCH(QStringList, arguments);
    QFETCH(ExitCode, code);
    const ParseResult r = parse_say_arguments(arguments);
    QCOMPARE(r.error, code);
    QVERIFY(!r.message.isEmpty());
}

void TestSayRequest::output_decidesBetweenPlayingAndWriting()
{
    QVERIFY(parse_say_arguments({QStringLiteral("hi")}).request.play);
    const SayRequest written =
        parse_say_arguments({QStringLiteral("-o"), QStringLiteral("a.wav"), QStringLiteral("hi")}).request;
    QVERIFY(!written.play);
    QCOMPARE(written.output, QStringLiteral("a.wav"));
    QVERIFY(parse_say_arguments({QStringLiteral("-p"), QStringLiteral("-o"), QStringLiteral("a.wav")}).request.play);
}

void TestSayRequest::workerCount_isCappedPerProcessor_data()
{
    QTest::addColumn<int>("asked");
    QTest::addColumn<int>("processors");
    QTest::addColumn<int>("expected");
    QTest::newRow("default: one per processor") << 0 << 4 << 4;
    QTest::newRow("fewer than the processors") << 3 << 4 << 3;
    QTest::newRow("at the cap") << 8 << 4 << 8;
    QTest::newRow("past the cap") << 9 << 4 << 8;
    QTest::newRow("the most the option takes") << 256 << 2 << 4;
    QTest::newRow("processors unknown") << 256 << 0 << 2;
}

void TestSayRequest::workerCount_isCappedPerProcessor()
{
    QFETCH(int, asked);
    QFETCH(int, processors);
    QFETCH(int, expected);
    const ParseResult r = parse_say_arguments({QStringLiteral("--jobs"), QString::number(asked > 0 ? asked : 1)});
    QCOMPARE(r.error, ExitCode::Ok);
    QCOMPARE(worker_count(asked, processors), expected);
}

QTEST_GUILESS_MAIN(TestSayRequest)
#include "test_say_request.moc"
