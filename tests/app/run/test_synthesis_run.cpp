// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"
#include "app/run/synthesis_run.h"
#include "audio/audio_player.h"
#include "engine/tts_engine.h"
#include "file_bytes.h"
#include "platform/gbk.h"
#include "platform/sound_output_null.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <dlfcn.h>

namespace {

// An engine library deployed and loaded like the program does it, in a folder of its own:
// by default the scripted one.
struct ScriptedWindow {
    explicit ScriptedWindow(const char *script, const QString &engine_file = QStringLiteral(SCRIPTED_ENGINE_FILE),
                            const QString &codec_file = {})
        : image(file_bytes::read(engine_file))
        , codec(codec_file.isEmpty() ? QByteArray("codec") : file_bytes::read(codec_file))
        , engine({image, codec}, {dir.filePath(QStringLiteral("system")), dir.filePath(QStringLiteral("program")), {}})
    {
        QDir(dir.path()).mkpath(QStringLiteral("system"));
        QDir(dir.path()).mkpath(QStringLiteral("program"));
        window = std::make_unique<MainWindow>(engine, dir.filePath(QStringLiteral("config.ini")));
        statuses = std::make_unique<QSignalSpy>(window.get(), &MainWindow::status_shown);
        window->on_created();
        library = dlopen(QFile::encodeName(dir.filePath(QStringLiteral("system/libmsc.so"))).constData(),
                         RTLD_NOW | RTLD_NOLOAD);
        if (script != nullptr)
            configure(script);
        statuses->clear();
    }
    ~ScriptedWindow()
    {
        AudioPlayer::stop_all();
        AudioPlayer::wait_idle(2000);
        if (library != nullptr)
            dlclose(library);
    }

    void configure(const char *script) const
    {
        reinterpret_cast<void (*)(const char *)>(dlsym(library, "scripted_engine_configure"))(script);
    }
    QStringList calls() const
    {
        const char *log = reinterpret_cast<const char *(*)()>(dlsym(library, "scripted_engine_calls"))();
        return QString::fromUtf8(log).split(u'\n', Qt::SkipEmptyParts);
    }
    QStringList shown() const
    {
        QStringList out;
        for (const QList<QVariant> &args : *statuses)
            out << args.constFirst().toString();
        return out;
    }
    const Controls &c() const { return window->controls(); }
    void start() const { c().start->click(); }

    QTemporaryDir dir;
    QByteArray image;
    QByteArray codec;
    TtsEngine engine;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<QSignalSpy> statuses;
    void *library = nullptr;
};

// The scripted engine's log form of bytes: printable ASCII as is, the rest as \xHH.
QString escaped(const QByteArray &bytes)
{
    QString out;
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c < 0x7F && c != '\\')
            out += QLatin1Char(static_cast<char>(c));
        else
            out += QStringLiteral("\\x") + QString::number(c, 16).rightJustified(2, u'0').toUpper();
    }
    return out;
}

qsizetype first_with_prefix(const QStringList &lines, const QString &prefix)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i).startsWith(prefix))
            return i;
    }
    return -1;
}

int count_prefix(const QStringList &lines, const QString &prefix)
{
    int n = 0;
    for (const QString &line : lines)
        n += line.startsWith(prefix) ? 1 : 0;
    return n;
}

} // namespace

class TestSynthesisRun final : public QObject {
    Q_OBJECT

private slots:
    void realEngine_speaksTheDesignedSentence();
    void run_reportsEachStageAndKeepsTheSpeech();
    void run_sendsUntrimmedTextAsGbkBytes();
    void run_onlySpaces_asksForTextAndFocusesBox();
    void run_onlyLineBreaks_isSent();
    void realEngine_getsTheTextInTheAnnouncedEncoding_data();
    void realEngine_getsTheTextInTheAnnouncedEncoding();
    void run_withoutSelection_stopsBeforeAnyEngineCall_data();
    void run_withoutSelection_stopsBeforeAnyEngineCall();
    void secondRun_endsFirstSessionExactlyOnce();
    void failedSessionStart_leavesIdEmpty();
    void failedTextPut_clearsBusyAndKeepsSession();
    void engineError_endsRunAndKeepsPreviousResult();
    void engineThatNeverFinishes_endsAfterTimeout();
    void noAudio_saysNothingToSpeakAndKeepsPreviousResult();
    void soundOutputUnavailable_saysSoAndKeepsWav_data();
    void soundOutputUnavailable_saysSoAndKeepsWav();
    void duringRun_onlyStartIsDisabledAndFormatOfTheSessionIsKept();
    void closeDuringRun_endsSessionOnceAndNeverPollsAfterFini();
};

void TestSynthesisRun::realEngine_speaksTheDesignedSentence()
{
    QTemporaryDir trace_dir;
    const QString trace = trace_dir.filePath(QStringLiteral("trace.log"));
    qputenv("LUMENO_ENGINE_TRACE", QFile::encodeName(trace));
    {
        ScriptedWindow w(nullptr, QStringLiteral(ENGINE_FILE), QStringLiteral(CODEC_FILE));
        QCOMPARE(w.c().status_panel->text(), QStringLiteral("已成功连接服务器"));
        w.start();
        const QStringList shown = w.shown();
        QCOMPARE(shown.value(0), QStringLiteral("成功发送转换文本,等待返回结果中..."));
        QVERIFY(shown.contains(QStringLiteral("正在合成语音,请稍候...")));
        QCOMPARE(shown.constLast(), QStringLiteral("语音已合成"));
        const PcmAudio &speech = w.window->synthesis_run().last_speech();
        QCOMPARE(speech.format, PcmFormat{16000});
        // Twelve syllables: between one and six seconds of 16 kHz 16-bit speech.
        const qsizetype audio = speech.bytes.size();
        QVERIFY2(audio > 32000 && audio < 6 * 32000, qPrintable(QString::number(audio)));
        QVERIFY(w.c().start->isEnabled());
        w.window->on_close_query();
    }
    qunsetenv("LUMENO_ENGINE_TRACE");
    // The engine saw the calls in the order of a run and a close.
    QStringList functions;
    for (const QByteArray &line : file_bytes::read(trace).split('\n')) {
        const QByteArray function = line.left(line.indexOf('('));
        if (!function.isEmpty() && (functions.isEmpty() || functions.constLast() != QString::fromLatin1(function)))
            functions << QString::fromLatin1(function);
    }
    QCOMPARE(functions, (QStringList{QStringLiteral("QTTSInit"), QStringLiteral("QTTSSessionBegin"),
                                     QStringLiteral("QTTSTextPut"), QStringLiteral("QTTSAudioGet"),
                                     QStringLiteral("QTTSSessionEnd"), QStringLiteral("QTTSFini")}));
}

void TestSynthesisRun::realEngine_getsTheTextInTheAnnouncedEncoding_data()
{
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("sent"); // empty: refused before any session
    const QString hello = QStringLiteral("你好，世界");
    QTest::newRow("GBK as it is") << QStringLiteral("GBK") << hello << gbk::encode(hello);
    QTest::newRow("AUTO as GBK") << QStringLiteral("AUTO") << hello << gbk::encode(hello);
    QTest::newRow("UNICODE is UTF-16 LE")
        << QStringLiteral("UNICODE") << hello << QByteArray("\x60\x4F\x7D\x59\x0C\xFF\x16\x4E\x4C\x75", 10);
    QTest::newRow("UTF8") << QStringLiteral("UTF8") << hello << hello.toUtf8();
    QTest::newRow("BIG5") << QStringLiteral("BIG5") << hello << QByteArray("\xA7\x41\xA6\x6E\xA1\x41\xA5\x40\xAC\xC9");
    QTest::newRow("simplified in BIG5") << QStringLiteral("BIG5") << QStringLiteral("语音合成") << QByteArray();
}

void TestSynthesisRun::realEngine_getsTheTextInTheAnnouncedEncoding()
{
    QFETCH(QString, encoding);
    QFETCH(QString, text);
    QFETCH(QByteArray, sent);
    QTemporaryDir trace_dir;
    const QString trace = trace_dir.filePath(QStringLiteral("trace.log"));
    qputenv("LUMENO_ENGINE_TRACE", QFile::encodeName(trace));
    QStringList shown;
    {
        ScriptedWindow w(nullptr, QStringLiteral(ENGINE_FILE), QStringLiteral(CODEC_FILE));
        w.c().text_encoding->setCurrentIndex(w.c().text_encoding->findText(encoding));
        w.c().text->setPlainText(text);
        w.start();
        shown = w.shown();
        w.window->on_close_query();
    }
    qunsetenv("LUMENO_ENGINE_TRACE");
    const QByteArray log = file_bytes::read(trace);
    if (sent.isEmpty()) {
        QCOMPARE(shown, QStringList{QStringLiteral("文本含有BIG5编码无法表示的字符")});
        QVERIFY(!log.contains("QTTSSessionBegin"));
        return;
    }
    QCOMPARE(shown.constLast(), QStringLiteral("语音已合成"));
    QVERIFY(log.contains(",tte=" + encoding.toLatin1() + ','));
    // The trace writes bytes as the scripted engine does, with lower-case hex digits.
    const QString put = QStringLiteral("textString=\"%1\", textLen=%2,").arg(escaped(sent)).arg(sent.size());
    QVERIFY2(QString::fromLatin1(log).contains(put, Qt::CaseInsensitive), log.constData());
}

void TestSynthesisRun::run_reportsEachStageAndKeepsTheSpeech()
{
    ScriptedWindow w("chunks=3;chunk_bytes=640");
    w.start();
    QCOMPARE(w.shown(), (QStringList{QStringLiteral("成功发送转换文本,等待返回结果中..."),
                                     QStringLiteral("正在合成语音,请稍候..."), QStringLiteral("正在合成语音,请稍候..."),
                                     QStringLiteral("正在合成语音,请稍候..."), QStringLiteral("语音已合成")}));
    QCOMPARE(w.window->synthesis_run().last_speech().bytes.size(), 3 * 640);
    // 16 kHz by default, and the chunks in the order they came.
    QCOMPARE(w.window->synthesis_run().last_speech().format.rate, 16000u);
    QCOMPARE(w.window->synthesis_run().last_speech().bytes.left(640), QByteArray(640, '\x01'));
    QCOMPARE(w.window->synthesis_run().last_speech().bytes.right(640), QByteArray(640, '\x03'));
    QVERIFY(w.c().start->isEnabled());
    QCOMPARE(w.c().start->text(), QStringLiteral("开始合成"));
    const QStringList calls = w.calls();
    QCOMPARE(calls.value(0), QStringLiteral("QTTSSessionBegin ssm=1,vcn=xiaoyan,spd=medium,vol=medium,ttp=text,"
                                            "tte=GB2312,bgs=0,aue=speex;7,auf=audio/L16;rate=16000,rdn=0"));
    QVERIFY(calls.value(1).startsWith(QStringLiteral("QTTSTextPut scripted-")));
    QVERIFY(calls.value(1).endsWith(QStringLiteral("params=[]")));
    // The session stays open after the run.
    QCOMPARE(count_prefix(calls, QStringLiteral("QTTSSessionEnd")), 0);
    QVERIFY(!w.engine.session_id().isEmpty());
}

void TestSynthesisRun::run_sendsUntrimmedTextAsGbkBytes()
{
    ScriptedWindow w("chunks=1");
    w.c().text->setPlainText(QStringLiteral("  你好\n世界 "));
    w.start();
    const QByteArray expected = gbk::encode(QStringLiteral("  你好\r\n世界 "));
    const QString put = w.calls().value(1);
    QVERIFY2(put.endsWith(QStringLiteral(" %1 [%2] params=[]").arg(expected.size()).arg(escaped(expected))),
             qPrintable(put));
}

void TestSynthesisRun::run_onlySpaces_asksForTextAndFocusesBox()
{
    ScriptedWindow w("chunks=1");
    w.c().text->setPlainText(QStringLiteral("  　 　"));
    w.start();
    QCOMPARE(w.shown(), QStringList{QStringLiteral("请输入要合成语音的文本")});
    QCOMPARE(w.window->focusWidget(), static_cast<QWidget *>(w.c().text));
    QVERIFY(w.calls().isEmpty());
}

void TestSynthesisRun::run_onlyLineBreaks_isSent()
{
    ScriptedWindow w("chunks=1");
    w.c().text->setPlainText(QStringLiteral("\n\n"));
    w.start();
    QCOMPARE(w.shown().constLast(), QStringLiteral("语音已合成"));
    QVERIFY(w.calls().value(1).contains(QStringLiteral(" 4 [\\x0D\\x0A\\x0D\\x0A]")));
}

void TestSynthesisRun::run_withoutSelection_stopsBeforeAnyEngineCall_data()
{
    // Every list the parameter text is built from, as a damaged settings file can leave them.
    QTest::addColumn<QComboBox * OptionBoxes::*>("list");
    QTest::newRow("voice") << &OptionBoxes::voice;
    QTest::newRow("compression") << &OptionBoxes::compression;
    QTest::newRow("speed") << &OptionBoxes::speed;
    QTest::newRow("volume") << &OptionBoxes::volume;
    QTest::newRow("text type") << &OptionBoxes::text_type;
    QTest::newRow("text encoding") << &OptionBoxes::text_encoding;
    QTest::newRow("background") << &OptionBoxes::background;
    QTest::newRow("numbers") << &OptionBoxes::numbers;
    QTest::newRow("audio encoding") << &OptionBoxes::audio_encoding;
    QTest::newRow("audio format") << &OptionBoxes::audio_format;
}

void TestSynthesisRun::run_withoutSelection_stopsBeforeAnyEngineCall()
{
    QFETCH(QComboBox * OptionBoxes::*, list);
    ScriptedWindow w("chunks=1");
    w.start();
    w.configure("chunks=1");
    (w.c().*list)->setCurrentIndex(-1);
    w.start();
    QCOMPARE(w.shown().constLast(), QStringLiteral("请将合成参数设置完整!"));
    QVERIFY(w.calls().isEmpty());
}

void TestSynthesisRun::secondRun_endsFirstSessionExactlyOnce()
{
    ScriptedWindow w("chunks=1");
    w.start();
    const QByteArray first = w.engine.session_id();
    w.start();
    QVERIFY(w.engine.session_id() != first);
    w.window->on_close_query();
    const QStringList calls = w.calls();
    QCOMPARE(count_prefix(calls, QStringLiteral("QTTSSessionEnd ") + QString::fromLatin1(first)), 1);
    QCOMPARE(count_prefix(calls, QStringLiteral("QTTSSessionEnd ") + QString::fromLatin1(w.engine.session_id())), 1);
    QCOMPARE(calls.constLast(), QStringLiteral("QTTSFini"));
    // The first session is ended before the second begins.
    // Begin, text, one chunk; then the first session ends right before the second begins.
    QCOMPARE(first_with_prefix(calls, QStringLiteral("QTTSSessionEnd")), 3);
    QVERIFY(calls.at(4).startsWith(QStringLiteral("QTTSSessionBegin")));
    QCOMPARE(calls.at(3), QStringLiteral("QTTSSessionEnd %1 %2")
                              .arg(QString::fromLatin1(first), escaped(gbk::encode(QStringLiteral("正常关闭")))));
}

void TestSynthesisRun::failedSessionStart_leavesIdEmpty()
{
    ScriptedWindow w("chunks=1");
    w.start();
    w.configure("begin_error=10106");
    w.start();
    QCOMPARE(w.shown().constLast(), QStringLiteral("启动会话失败，请检查appid是否可用"));
    QVERIFY(w.engine.session_id().isEmpty());
    QVERIFY(w.c().start->isEnabled());
    // The earlier result stays; the next run ends no session first.
    QCOMPARE(w.window->synthesis_run().last_speech().bytes.size(), 640);
    w.configure("chunks=1");
    w.start();
    QCOMPARE(count_prefix(w.calls(), QStringLiteral("QTTSSessionEnd")), 0);
}

void TestSynthesisRun::failedTextPut_clearsBusyAndKeepsSession()
{
    ScriptedWindow w("text_put=10109");
    w.start();
    QCOMPARE(w.shown().constLast(), QStringLiteral("发送转换文本失败"));
    QVERIFY(w.c().start->isEnabled());
    QVERIFY(!w.engine.session_id().isEmpty());
    QVERIFY(w.window->synthesis_run().last_speech().bytes.isEmpty());
}

void TestSynthesisRun::engineError_endsRunAndKeepsPreviousResult()
{
    ScriptedWindow w("chunks=2;chunk_bytes=100");
    w.start();
    const QByteArray previous = w.window->synthesis_run().last_speech().bytes;
    w.configure("chunks=4;error_at=2");
    w.start();
    QCOMPARE(w.shown().constLast(), QStringLiteral("合成失败，请重试"));
    QCOMPARE(w.window->synthesis_run().last_speech().bytes, previous);
    QVERIFY(w.c().start->isEnabled());
    QCOMPARE(w.c().start->text(), QStringLiteral("开始合成"));
}

void TestSynthesisRun::engineThatNeverFinishes_endsAfterTimeout()
{
    ScriptedWindow w("never_finish=1");
    w.window->synthesis_run().set_no_audio_timeout(300);
    QElapsedTimer timer;
    timer.start();
    w.start();
    QVERIFY(timer.elapsed() >= 300);
    QCOMPARE(w.shown().constLast(), QStringLiteral("合成失败，请重试"));
    QVERIFY(w.c().start->isEnabled());
    QVERIFY(w.window->synthesis_run().last_speech().bytes.isEmpty());
}

void TestSynthesisRun::noAudio_saysNothingToSpeakAndKeepsPreviousResult()
{
    // Four seconds of audio, still playing when the second run ends.
    ScriptedWindow w("chunks=4;chunk_bytes=32000;empty_polls=0");
    w.start();
    const QByteArray previous = w.window->synthesis_run().last_speech().bytes;
    w.configure("chunks=0");
    w.statuses->clear();
    w.start();
    QCOMPARE(w.shown(),
             (QStringList{QStringLiteral("成功发送转换文本,等待返回结果中..."), QStringLiteral("没有可合成的语音")}));
    QCOMPARE(w.window->synthesis_run().last_speech().bytes, previous);
    QVERIFY(w.c().start->isEnabled());
    QVERIFY(!AudioPlayer::wait_idle(100));
}

void TestSynthesisRun::soundOutputUnavailable_saysSoAndKeepsWav_data()
{
    QTest::addColumn<unsigned>("devices");
    QTest::addColumn<bool>("open_fails");
    QTest::newRow("no device") << 0u << false;
    QTest::newRow("device refuses to open") << 1u << true;
}

void TestSynthesisRun::soundOutputUnavailable_saysSoAndKeepsWav()
{
    QFETCH(unsigned, devices);
    QFETCH(bool, open_fails);
    ScriptedWindow w("chunks=2;chunk_bytes=640");
    sound_output_null_set_device_count(devices);
    sound_output_null_set_open_fails(open_fails);
    w.start();
    sound_output_null_set_device_count(1);
    sound_output_null_set_open_fails(false);
    AudioPlayer::stop_all();
    QCOMPARE(w.shown().last(), QStringLiteral("语音已合成，但无法打开声音设备"));
    // Saving does not need the sound output.
    QCOMPARE(w.window->synthesis_run().last_speech().bytes.size(), 2 * 640);
    QVERIFY(w.c().start->isEnabled());
}

void TestSynthesisRun::duringRun_onlyStartIsDisabledAndFormatOfTheSessionIsKept()
{
    ScriptedWindow w("chunks=3;empty_polls=20");
    bool checked = false;
    QTimer::singleShot(20, w.window.get(), [&] {
        QVERIFY(!w.c().start->isEnabled());
        QCOMPARE(w.c().start->text(), QStringLiteral("正在合成"));
        for (QWidget *other : {static_cast<QWidget *>(w.c().stop), static_cast<QWidget *>(w.c().save),
                               static_cast<QWidget *>(w.c().clear), static_cast<QWidget *>(w.c().audio_format)})
            QVERIFY(other->isEnabled());
        w.c().clear->click();
        w.c().audio_format->setCurrentIndex(0);
        checked = true;
    });
    w.start();
    QVERIFY(checked);
    QCOMPARE(w.c().text->toPlainText(), QString());
    // The session was begun at 16 kHz: the header says what the audio is.
    QVERIFY(w.calls().constFirst().endsWith(QStringLiteral("auf=audio/L16;rate=16000,rdn=0")));
    QCOMPARE(w.window->synthesis_run().last_speech().format.rate, 16000u);
}

void TestSynthesisRun::closeDuringRun_endsSessionOnceAndNeverPollsAfterFini()
{
    ScriptedWindow w("never_finish=1");
    w.window->show();
    QTimer::singleShot(50, w.window.get(), [&] { w.window->close(); });
    w.start();
    const QStringList calls = w.calls();
    QCOMPARE(count_prefix(calls, QStringLiteral("QTTSSessionEnd")), 1);
    QCOMPARE(calls.constLast(), QStringLiteral("QTTSFini"));
    QVERIFY(!w.window->isVisible());
    QVERIFY(w.window->synthesis_run().last_speech().bytes.isEmpty());
}

QTEST_MAIN(TestSynthesisRun)
#include "test_synthesis_run.moc"
