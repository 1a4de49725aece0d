// SPDX-License-Identifier: GPL-3.0-or-later
// libmsc.so through its six exported functions, loaded with dlopen like the program does.

#include "engine_client.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <dlfcn.h>
#include <set>
#include <thread>

class TestQttsApi : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void library_exportsTheSixFunctionsAndTheReadingPreview();
    void textReading_reportsTheLengthItNeeds();
    void init_rejectsBadConfiguration_data();
    void init_rejectsBadConfiguration();
    void init_startsOnceUntilFini();

    void sessionBegin_rejectsBadParameters_data();
    void sessionBegin_rejectsBadParameters();
    void sessionBegin_refusesMoreThanTheLimit();
    void calls_failCleanlyOnNullAndUnknownArguments();
    void textPut_limitsTheTextSize();
    void textPut_refusesASecondTextWhileBusy();
    void textPut_survivesInvalidBytesInEveryEncoding_data();
    void textPut_survivesInvalidBytesInEveryEncoding();

    void speed_ordersTheDurations();
    void volume_ordersTheLoudnessWithoutClipping_data();
    void volume_ordersTheLoudnessWithoutClipping();
    void ssmlBreak_addsItsTime();
    void ssml_survivesMalformedMarkup_data();
    void ssml_survivesMalformedMarkup();
    void background_fillsThePauses();
    void sampleRate_setsTheLength_data();
    void sampleRate_setsTheLength();
    void numberReading_changesWhatIsSaid();
    void audioGet_handsOutQuarterSecondChunks();

    void audioGet_memoryOutlivesAnEndByAnotherThread_data();
    void audioGet_memoryOutlivesAnEndByAnotherThread();
    void textPut_skipsScriptsNoVoiceSpeaks_data();
    void textPut_skipsScriptsNoVoiceSpeaks();
    void sessionEnd_stopsASynthesisAtOnce();
    void staleIds_areRefusedWhileAnotherThreadFinalises();
    void twoThreads_areServedOneAfterTheOther();
    void trace_recordsEveryCall();
    void fini_endsEverySessionAndLaterCallsFail();

private:
    EngineClient m_engine;
};

namespace {

const QByteArray short_text = "\xc7\xeb\xd4\xda\xd5\xe2\xc0\xef\xca\xe4\xc8\xeb\xd2\xaa\xba\xcf\xb3\xc9\xb5\xc4"
                              "\xce\xc4\xb1\xbe"; // 请在这里输入要合成的文本, GBK

// Chinese prose in GBK (今天天气很好，我们出去走走吧。 repeated), padded with 'a' to exactly bytes.
QByteArray long_gbk_text(int bytes)
{
    const QByteArray sentence("\xbd\xf1\xcc\xec\xcc\xec\xc6\xf8\xba\xdc\xba\xc3\xa3\xac\xce\xd2\xc3\xc7\xb3\xf6"
                              "\xc8\xa5\xd7\xdf\xd7\xdf\xb0\xc9\xa1\xa3");
    QByteArray text;
    while (text.size() + sentence.size() <= bytes)
        text += sentence;
    while (text.size() < bytes)
        text += 'a';
    return text;
}

// espeak-ng 1.51 carries state from one synthesis to the next: the flutter of the pitch, and once
// any synthesis has been stopped half-way, a faint 50 ms tail on every later one. So the same
// text can come out one espeak-ng buffer longer. (The exact lengths of the audio path after
// espeak-ng are checked in test_audio_pipeline.)
constexpr double espeak_length_jitter = 0.06;

double seconds(const std::vector<short> &pcm, int rate = 16000)
{
    return double(pcm.size()) / rate;
}

} // namespace

void TestQttsApi::initTestCase()
{
    QVERIFY2(m_engine.loaded(), qPrintable(m_engine.error()));
}

void TestQttsApi::cleanupTestCase()
{
    m_engine.fini();
}

void TestQttsApi::library_exportsTheSixFunctionsAndTheReadingPreview()
{
    QProcess nm;
    nm.start(QStringLiteral("nm"),
             {QStringLiteral("-D"), QStringLiteral("--defined-only"), QStringLiteral(ENGINE_FILE)});
    QVERIFY(nm.waitForFinished(30000));
    QStringList names;
    for (const QString &line : QString::fromLatin1(nm.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts))
        names << line.section(u' ', -1);
    names.sort();
    QCOMPARE(names, QStringList({u"QTTSAudioGet"_qs, u"QTTSFini"_qs, u"QTTSInit"_qs, u"QTTSSessionBegin"_qs,
                                 u"QTTSSessionEnd"_qs, u"QTTSTextPut"_qs, u"QTTSTextReading"_qs}));
}

void TestQttsApi::textReading_reportsTheLengthItNeeds()
{
    void *library = dlopen(ENGINE_FILE, RTLD_NOW);
    QVERIFY(library != nullptr);
    const auto text_reading = reinterpret_cast<QTTSTextReadingFunc>(dlsym(library, "QTTSTextReading"));
    QVERIFY(text_reading != nullptr);
    const QByteArray params = session_params({{"vcn", "xiaoyan"}, {"tte", "GBK"}});
    const QByteArray text("\xc4\xe3\xba\xc3\xa3\xac"); // 你好， in GBK
    const QByteArray expected("ni2 hao3 \xa3\xac");    // the comma stays, in GBK
    unsigned int length = 0;
    QCOMPARE(text_reading(params.constData(), text.constData(), 6, nullptr, &length), QTTS_ERROR_BUFFER_TOO_SMALL);
    QCOMPARE(length, static_cast<unsigned int>(expected.size()));
    QByteArray buffer(expected.size() + 1, '\xff');
    length = static_cast<unsigned int>(expected.size()); // no room for the zero
    QCOMPARE(text_reading(params.constData(), text.constData(), 6, buffer.data(), &length),
             QTTS_ERROR_BUFFER_TOO_SMALL);
    QCOMPARE(buffer.at(0), '\xff');
    length = static_cast<unsigned int>(buffer.size());
    QCOMPARE(text_reading(params.constData(), text.constData(), 6, buffer.data(), &length), QTTS_SUCCESS);
    QCOMPARE(QByteArray(buffer.constData()), expected);
    QCOMPARE(text_reading(params.constData(), nullptr, 6, buffer.data(), &length), QTTS_ERROR_NULL_ARGUMENT);
    QCOMPARE(text_reading("vcn=nobody", text.constData(), 6, buffer.data(), &length), QTTS_ERROR_INVALID_PARAMS);
    dlclose(library);
}

void TestQttsApi::init_rejectsBadConfiguration_data()
{
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<int>("expected");
    QByteArray config = EngineClient::config();
    QTest::newRow("null") << QByteArray() << QTTS_ERROR_NULL_ARGUMENT;
    QTest::newRow("short appid") << QByteArray(config).replace("appid=lm0test1", "appid=lm0test")
                                 << QTTS_ERROR_INVALID_CONFIG;
    QTest::newRow("timeout in seconds") << QByteArray(config).replace("timeout=10000", "timeout=10s")
                                        << QTTS_ERROR_INVALID_CONFIG;
    QTest::newRow("no size") << QByteArray(config).replace(",max_text_size=2048", "") << QTTS_ERROR_INVALID_CONFIG;
    QTest::newRow("codec nowhere") << QByteArray(config).replace("libmsc_speex.so", "libno_such_codec.so")
                                   << QTTS_ERROR_CODEC_LIBRARY;
    QTest::newRow("codec path missing") << QByteArray(config).replace("libmsc_speex.so", "/nonexistent/libmsc_speex.so")
                                        << QTTS_ERROR_CODEC_LIBRARY;
    QTest::newRow("not a codec of ours") << QByteArray(config).replace("libmsc_speex.so", "libm.so.6")
                                         << QTTS_ERROR_CODEC_LIBRARY;
}

void TestQttsApi::init_rejectsBadConfiguration()
{
    QFETCH(QByteArray, config);
    QFETCH(int, expected);
    QCOMPARE(m_engine.init(config.isNull() ? nullptr : config.constData()), expected);
    int error = 0;
    QVERIFY(m_engine.begin(session_params().constData(), &error) == nullptr);
    QCOMPARE(error, QTTS_ERROR_NOT_INITIALISED);
}

void TestQttsApi::init_startsOnceUntilFini()
{
    // A plain codec name: found beside libmsc.so, not through the library path.
    QVERIFY(!qEnvironmentVariable("LD_LIBRARY_PATH").contains(QStringLiteral(ENGINE_DIR)));
    QCOMPARE(m_engine.init(EngineClient::config().constData()), QTTS_SUCCESS);
    QCOMPARE(m_engine.init(EngineClient::config().constData()), QTTS_ERROR_ALREADY_INITIALISED);
    QCOMPARE(m_engine.fini(), QTTS_SUCCESS);
    QCOMPARE(m_engine.fini(), QTTS_ERROR_NOT_INITIALISED);
    QCOMPARE(m_engine.init(EngineClient::config().constData()), QTTS_SUCCESS);
    const auto result = m_engine.synthesise(session_params(), short_text);
    QCOMPARE(result.audio_error, QTTS_SUCCESS);
    QVERIFY(seconds(result.pcm) > 1.0);
    // The engine only hands samples back: loading and starting it must not bring in a sound
    // server's client (some 30 libraries, and a connection attempt at every start).
    for (const char *client : {"libpcaudio.so.0", "libpulse.so.0", "libasound.so.2"})
        QVERIFY2(dlopen(client, RTLD_LAZY | RTLD_NOLOAD) == nullptr, client);
}

void TestQttsApi::sessionBegin_rejectsBadParameters_data()
{
    QTest::addColumn<QByteArray>("params");
    QTest::addColumn<int>("expected");
    QTest::newRow("unknown voice") << session_params({{"vcn", "nobody"}}) << QTTS_ERROR_UNKNOWN_VOICE;
    QTest::newRow("speed out of range") << session_params({{"spd", "101"}}) << QTTS_ERROR_INVALID_PARAMS;
    QTest::newRow("speex level 11") << session_params({{"aue", "speex;11"}}) << QTTS_ERROR_INVALID_PARAMS;
    QTest::newRow("44.1 kHz") << session_params({{"auf", "audio/L16;rate=44100"}}) << QTTS_ERROR_INVALID_PARAMS;
    QTest::newRow("missing key") << QByteArray("ssm=1,vcn=xiaoyan") << QTTS_ERROR_INVALID_PARAMS;
    QTest::newRow("empty") << QByteArray("") << QTTS_ERROR_INVALID_PARAMS;
}

void TestQttsApi::sessionBegin_rejectsBadParameters()
{
    QFETCH(QByteArray, params);
    QFETCH(int, expected);
    int error = 0;
    QVERIFY(m_engine.begin(params.constData(), &error) == nullptr);
    QCOMPARE(error, expected);
    // Without a place for the error code the failure is still just a null.
    QVERIFY(m_engine.begin(params.constData(), nullptr) == nullptr);
}

void TestQttsApi::sessionBegin_refusesMoreThanTheLimit()
{
    std::vector<QByteArray> ids;
    int error = -1;
    for (int i = 0; i < QTTS_MAX_SESSIONS; ++i) {
        const char *id = m_engine.begin(session_params().constData(), &error);
        QVERIFY(id != nullptr);
        QCOMPARE(error, QTTS_SUCCESS);
        ids.emplace_back(id);
    }
    QCOMPARE(std::set<QByteArray>(ids.begin(), ids.end()).size(), ids.size());
    QVERIFY(m_engine.begin(session_params().constData(), &error) == nullptr);
    QCOMPARE(error, QTTS_ERROR_TOO_MANY_SESSIONS);
    for (const QByteArray &id : ids)
        QCOMPARE(m_engine.end(id.constData(), nullptr), QTTS_SUCCESS);
    QVERIFY(m_engine.begin(session_params().constData(), &error) != nullptr);
    QCOMPARE(error, QTTS_SUCCESS);
}

void TestQttsApi::calls_failCleanlyOnNullAndUnknownArguments()
{
    int error = 0;
    QVERIFY(m_engine.begin(nullptr, &error) == nullptr);
    QCOMPARE(error, QTTS_ERROR_NULL_ARGUMENT);

    const QByteArray id = m_engine.begin(session_params().constData(), &error);
    QCOMPARE(m_engine.put(nullptr, "a", 1, ""), QTTS_ERROR_NULL_ARGUMENT);
    QCOMPARE(m_engine.put(id.constData(), nullptr, 5, ""), QTTS_ERROR_NULL_ARGUMENT);
    QCOMPARE(m_engine.put("lumeno-999999", "a", 1, ""), QTTS_ERROR_UNKNOWN_SESSION);
    QCOMPARE(m_engine.put("", "a", 1, ""), QTTS_ERROR_UNKNOWN_SESSION);

    unsigned int length = 77;
    int status = 0;
    error = 0;
    // Audio before any text.
    QVERIFY(m_engine.get(id.constData(), &length, &status, &error) == nullptr);
    QCOMPARE(error, QTTS_ERROR_NO_TEXT);
    QCOMPARE(status, QTTS_AUDIO_COMPLETE);
    QCOMPARE(length, 0u);
    QVERIFY(m_engine.get("lumeno-999999", &length, &status, &error) == nullptr);
    QCOMPARE(error, QTTS_ERROR_UNKNOWN_SESSION);
    QCOMPARE(status, QTTS_AUDIO_COMPLETE);
    QVERIFY(m_engine.get(nullptr, &length, &status, &error) == nullptr);
    QVERIFY(m_engine.get(id.constData(), nullptr, &status, &error) == nullptr);
    QVERIFY(m_engine.get(id.constData(), &length, nullptr, &error) == nullptr);
    QVERIFY(m_engine.get(id.constData(), &length, &status, nullptr) == nullptr);

    // A text of no bytes (even as a null pointer) is a synthesis without audio.
    QCOMPARE(m_engine.put(id.constData(), nullptr, 0, nullptr), QTTS_SUCCESS);
    QVERIFY(m_engine.get(id.constData(), &length, &status, &error) == nullptr);
    QCOMPARE(status, QTTS_AUDIO_COMPLETE);
    QCOMPARE(error, QTTS_SUCCESS);

    QCOMPARE(m_engine.end(nullptr, "x"), QTTS_ERROR_NULL_ARGUMENT);
    QCOMPARE(m_engine.end("nobody", "x"), QTTS_ERROR_UNKNOWN_SESSION);
    QCOMPARE(m_engine.end(id.constData(), nullptr), QTTS_SUCCESS);
    QCOMPARE(m_engine.end(id.constData(), nullptr), QTTS_ERROR_UNKNOWN_SESSION);
}

void TestQttsApi::textPut_limitsTheTextSize()
{
    int error = 0;
    const QByteArray id = m_engine.begin(session_params().constData(), &error);
    const QByteArray largest = long_gbk_text(2048);
    QCOMPARE(largest.size(), 2048);
    QCOMPARE(m_engine.put(id.constData(), largest.constData(), 2049, ""), QTTS_ERROR_TEXT_TOO_LONG);
    QCOMPARE(m_engine.put(id.constData(), largest.constData(), 2048, ""), QTTS_SUCCESS);
    QCOMPARE(m_engine.end(id.constData(), nullptr), QTTS_SUCCESS);
}

void TestQttsApi::textPut_refusesASecondTextWhileBusy()
{
    int error = 0;
    const QByteArray id = m_engine.begin(session_params({{"aue", "raw"}}).constData(), &error);
    const QByteArray text = long_gbk_text(600);
    QCOMPARE(m_engine.put(id.constData(), text.constData(), unsigned(text.size()), ""), QTTS_SUCCESS);
    QCOMPARE(m_engine.put(id.constData(), short_text.constData(), unsigned(short_text.size()), ""), QTTS_ERROR_BUSY);
    int status = QTTS_AUDIO_MORE;
    std::size_t first_bytes = 0;
    while (status != QTTS_AUDIO_COMPLETE) {
        unsigned int length = 0;
        m_engine.get(id.constData(), &length, &status, &error);
        first_bytes += length;
    }
    QCOMPARE(error, QTTS_SUCCESS);
    // Once delivered, the session takes the next text.
    QCOMPARE(m_engine.put(id.constData(), short_text.constData(), unsigned(short_text.size()), ""), QTTS_SUCCESS);
    std::size_t second_bytes = 0;
    status = QTTS_AUDIO_MORE;
    while (status != QTTS_AUDIO_COMPLETE) {
        unsigned int length = 0;
        m_engine.get(id.constData(), &length, &status, &error);
        second_bytes += length;
    }
    QCOMPARE(error, QTTS_SUCCESS);
    QVERIFY(second_bytes > 16000 && second_bytes < first_bytes / 4);
    m_engine.end(id.constData(), nullptr);
}

void TestQttsApi::textPut_survivesInvalidBytesInEveryEncoding_data()
{
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<QByteArray>("text");
    const QByteArray gbk_hello = "\xc4\xe3\xba\xc3"; // 你好
    const QByteArray big5_hello = "\xa7\x41\xa6\x6e";
    const QByteArray utf8_hello = "\xe4\xbd\xa0\xe5\xa5\xbd";
    const QByteArray utf16_hello("\x60\x4f\x7d\x59", 4);
    for (const char *gb : {"GB2312", "GBK", "GB18030"}) {
        QTest::addRow("%s bad trail", gb) << QByteArray(gb) << gbk_hello + "\x81\x20" + gbk_hello;
        QTest::addRow("%s cut off", gb) << QByteArray(gb) << gbk_hello + "\xc4";
    }
    QTest::newRow("BIG5 bad bytes") << QByteArray("BIG5") << big5_hello + "\xff\xfe\x80" + big5_hello;
    QTest::newRow("UNICODE lone surrogate")
        << QByteArray("UNICODE") << utf16_hello + QByteArray("\x00\xdc", 2) + utf16_hello;
    QTest::newRow("UNICODE odd length") << QByteArray("UNICODE") << utf16_hello + "\x41";
    QTest::newRow("UTF8 bad bytes") << QByteArray("UTF8") << utf8_hello + "\xc0\xaf\xff" + utf8_hello;
    QTest::newRow("AUTO neither") << QByteArray("AUTO") << utf8_hello + "\xff" + gbk_hello;
    QTest::newRow("NUL bytes") << QByteArray("GBK") << gbk_hello + QByteArray("\0\0", 2) + gbk_hello;
}

void TestQttsApi::textPut_survivesInvalidBytesInEveryEncoding()
{
    QFETCH(QByteArray, encoding);
    QFETCH(QByteArray, text);
    const auto result = m_engine.synthesise(session_params({{"tte", encoding.constData()}, {"aue", "raw"}}), text);
    QCOMPARE(result.put_result, QTTS_SUCCESS);
    QCOMPARE(result.audio_error, QTTS_SUCCESS);
    // The valid characters around the bad bytes are still spoken.
    QVERIFY2(seconds(result.pcm) > 0.4, qPrintable(QString::number(seconds(result.pcm))));
}

void TestQttsApi::speed_ordersTheDurations()
{
    double previous = 1e9;
    for (const char *speed : {"x-slow", "slow", "medium", "fast", "x-fast"}) {
        const auto result = m_engine.synthesise(session_params({{"spd", speed}, {"aue", "raw"}}), short_text);
        QCOMPARE(result.audio_error, QTTS_SUCCESS);
        const double length = seconds(result.pcm);
        QVERIFY2(length < previous * 0.9, speed);
        previous = length;
    }
}

void TestQttsApi::volume_ordersTheLoudnessWithoutClipping_data()
{
    QTest::addColumn<QByteArray>("voice");
    QTest::newRow("young female") << QByteArray("xiaoyan");
    // The two variants espeak-ng itself drives closest to full scale.
    QTest::newRow("f1 variant") << QByteArray("vixq");
    QTest::newRow("elderly") << QByteArray("vils");
    QTest::newRow("cartoon") << QByteArray("aisDuck");
}

void TestQttsApi::volume_ordersTheLoudnessWithoutClipping()
{
    QFETCH(QByteArray, voice);
    double previous = 0.0;
    for (const char *volume : {"x-soft", "soft", "medium", "loud", "x-loud"}) {
        const auto result = m_engine.synthesise(
            session_params({{"vcn", voice.constData()}, {"vol", volume}, {"aue", "raw"}}), short_text);
        QCOMPARE(result.audio_error, QTTS_SUCCESS);
        const double level = pcm::rms(result.pcm);
        QVERIFY2(level > previous * 1.15, volume);
        QVERIFY2(pcm::peak(result.pcm) < 32000, qPrintable(QString::number(pcm::peak(result.pcm))));
        previous = level;
    }
}

void TestQttsApi::ssmlBreak_addsItsTime()
{
    const QByteArray params = session_params({{"ttp", "ssml"}, {"tte", "UTF8"}, {"aue", "raw"}});
    const auto plain = m_engine.synthesise(params, "<speak>你好，世界</speak>");
    const auto paused = m_engine.synthesise(params, "<speak>你好，<break time=\"1500ms\"/>世界</speak>");
    QCOMPARE(paused.audio_error, QTTS_SUCCESS);
    const double added = seconds(paused.pcm) - seconds(plain.pcm);
    QVERIFY2(added > 1.2 && added < 1.8, qPrintable(QString::number(added)));
}

void TestQttsApi::ssml_survivesMalformedMarkup_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::newRow("unclosed element") << QByteArray("<speak><prosody rate=\"slow\">你好");
    QTest::newRow("unclosed tag") << QByteArray("<speak>你好<break time=");
    QTest::newRow("stray end tags") << QByteArray("</voice></speak>你好</prosody>");
    QTest::newRow("angle brackets") << QByteArray("<<<>>>你好<><//>");
    QTest::newRow("bad entities") << QByteArray("&&;&#;&#x110000;&#xd800;你好&lt");
    QTest::newRow("odd attributes") << QByteArray(
        "<break time=\"-5s\"/><prosody rate=\"-100%\" pitch=\"x\">你好</prosody>");
    QTest::newRow("voice element") << QByteArray("<voice name=\"zz-nothing\" gender=\"x\">你好</voice>");
    QTest::newRow("say-as") << QByteArray("<say-as interpret-as=\"characters\">ABC123</say-as>");
    QTest::newRow("deep nesting") << QByteArray("<s>").repeated(200) + "你好" + QByteArray("</s>").repeated(200);
}

void TestQttsApi::ssml_survivesMalformedMarkup()
{
    QFETCH(QByteArray, document);
    const auto result =
        m_engine.synthesise(session_params({{"ttp", "ssml"}, {"tte", "UTF8"}, {"aue", "raw"}}), document);
    QCOMPARE(result.put_result, QTTS_SUCCESS);
    QCOMPARE(result.audio_error, QTTS_SUCCESS);
}

void TestQttsApi::background_fillsThePauses()
{
    const QByteArray text = "<speak>今天天气很好。<break time=\"1s\"/>我们出去走走吧。</speak>";
    const auto params = [](const char *background) {
        return session_params({{"ttp", "ssml"}, {"tte", "UTF8"}, {"aue", "raw"}, {"bgs", background}});
    };
    const auto silent = m_engine.synthesise(params("0"), text);
    const auto melody = m_engine.synthesise(params("1"), text);
    QCOMPARE(melody.audio_error, QTTS_SUCCESS);
    const double silent_pauses = pcm::quiet_rms(silent.pcm, 16000, 0.2);
    const double melody_pauses = pcm::quiet_rms(melody.pcm, 16000, 0.2);
    QVERIFY2(melody_pauses > 100.0 && melody_pauses > 5.0 * silent_pauses,
             qPrintable(u"%1 vs %2"_qs.arg(melody_pauses).arg(silent_pauses)));
    // Under the speech, not over it: the melody stays well below the spoken level.
    QVERIFY(melody_pauses < 0.5 * pcm::rms(silent.pcm));
    // It lasts as long as the speech and fades out after it.
    QVERIFY(seconds(melody.pcm) > seconds(silent.pcm));
}

void TestQttsApi::sampleRate_setsTheLength_data()
{
    QTest::addColumn<QByteArray>("encoding");
    for (const char *encoding : {"raw", "amr;5", "speex;7", "speex-wb;7", "speex;0", "speex-wb;10"})
        QTest::newRow(encoding) << QByteArray(encoding);
}

void TestQttsApi::sampleRate_setsTheLength()
{
    QFETCH(QByteArray, encoding);
    const auto narrow = m_engine.synthesise(
        session_params({{"aue", encoding.constData()}, {"auf", "audio/L16;rate=8000"}}), short_text);
    const auto wide = m_engine.synthesise(
        session_params({{"aue", encoding.constData()}, {"auf", "audio/L16;rate=16000"}}), short_text);
    QCOMPARE(narrow.audio_error, QTTS_SUCCESS);
    QCOMPARE(wide.audio_error, QTTS_SUCCESS);
    QVERIFY(seconds(wide.pcm) > 1.0);
    QVERIFY2(std::abs(seconds(narrow.pcm, 8000) - seconds(wide.pcm, 16000)) < espeak_length_jitter,
             qPrintable(u"%1 s at 8 kHz, %2 s at 16 kHz"_qs.arg(seconds(narrow.pcm, 8000)).arg(seconds(wide.pcm))));
    QVERIFY(pcm::rms(narrow.pcm) > 300.0);
}

void TestQttsApi::numberReading_changesWhatIsSaid()
{
    // 100000000: 一亿 as a value, nine digits one by one.
    const auto value = m_engine.synthesise(session_params({{"rdn", "1"}, {"aue", "raw"}}), "100000000");
    const auto digits = m_engine.synthesise(session_params({{"rdn", "2"}, {"aue", "raw"}}), "100000000");
    QCOMPARE(value.audio_error, QTTS_SUCCESS);
    QVERIFY2(seconds(digits.pcm) > 2.5 * seconds(value.pcm),
             qPrintable(u"%1 s vs %2 s"_qs.arg(seconds(digits.pcm)).arg(seconds(value.pcm))));
}

void TestQttsApi::audioGet_handsOutQuarterSecondChunks()
{
    for (const char *rate : {"audio/L16;rate=8000", "audio/L16;rate=16000"}) {
        int error = 0;
        const QByteArray id = m_engine.begin(session_params({{"auf", rate}, {"aue", "raw"}}).constData(), &error);
        const QByteArray text = long_gbk_text(400);
        QCOMPARE(m_engine.put(id.constData(), text.constData(), unsigned(text.size()), ""), QTTS_SUCCESS);
        // Let the worker get ahead so full chunks are ready.
        QTest::qWait(300);
        const unsigned int quarter = QByteArray(rate).endsWith("8000") ? 4000 : 8000;
        unsigned int largest = 0;
        int status = QTTS_AUDIO_MORE;
        while (status != QTTS_AUDIO_COMPLETE) {
            unsigned int length = 0;
            m_engine.get(id.constData(), &length, &status, &error);
            QVERIFY(length % 2 == 0);
            largest = std::max(largest, length);
        }
        QCOMPARE(largest, quarter);
        m_engine.end(id.constData(), nullptr);
    }
}

void TestQttsApi::audioGet_memoryOutlivesAnEndByAnotherThread_data()
{
    QTest::addColumn<bool>("fini");
    QTest::newRow("session ended") << false;
    QTest::newRow("engine finalised") << true;
}

// The piece QTTSAudioGet handed out stays readable until the caller's next call for the session,
// while another thread ends the session or the engine (a sanitizer build reports any read of
// freed memory; elsewhere the bytes would change).
void TestQttsApi::audioGet_memoryOutlivesAnEndByAnotherThread()
{
    QFETCH(bool, fini);
    for (int round = 0; round < 3; ++round) {
        int error = 0;
        const QByteArray id = m_engine.begin(session_params({{"aue", "raw"}}).constData(), &error);
        const QByteArray text = long_gbk_text(400);
        QCOMPARE(m_engine.put(id.constData(), text.constData(), unsigned(text.size()), ""), QTTS_SUCCESS);

        std::vector<short> first_read;
        std::vector<short> last_read;
        std::atomic<bool> ending{false};
        std::atomic<bool> ended{false};
        std::thread ender([&] {
            while (!ending)
                std::this_thread::yield();
            fini ? m_engine.fini() : m_engine.end(id.constData(), "");
            ended = true;
        });
        std::thread poller([&] {
            unsigned int length = 0;
            int status = QTTS_AUDIO_MORE;
            int poll_error = 0;
            const void *audio = nullptr;
            while (audio == nullptr && status != QTTS_AUDIO_COMPLETE)
                audio = m_engine.get(id.constData(), &length, &status, &poll_error);
            const auto *samples = static_cast<const short *>(audio);
            first_read.assign(samples, samples + length / 2);
            ending = true;
            // Reads race the ending, then one more follows it.
            long sum = 0;
            while (!ended) {
                for (unsigned int i = 0; i < length / 2; ++i)
                    sum += samples[i];
            }
            last_read.assign(samples, samples + length / 2);
            QVERIFY(sum != 1); // keeps the racing reads
        });
        poller.join();
        ender.join();

        QVERIFY(!first_read.empty());
        QVERIFY(last_read == first_read);
        if (fini)
            QCOMPARE(m_engine.init(EngineClient::config().constData()), QTTS_SUCCESS);
    }
}

void TestQttsApi::textPut_skipsScriptsNoVoiceSpeaks_data()
{
    QTest::addColumn<QByteArray>("voice");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("text"); // UTF-8

    // U+0D00 and U+0D01 (Malayalam) made espeak-ng 1.51 use a dictionary after freeing it.
    const QByteArray malayalam = "\xe0\xb4\x80\xe0\xb4\x81";
    const QByteArray chinese = "\xe4\xbd\xa0\xe5\xa5\xbd"; // 你好
    QTest::newRow("Chinese voice") << QByteArray("xiaoyan") << QByteArray("text") << chinese + malayalam + chinese;
    QTest::newRow("English voice") << QByteArray("henry") << QByteArray("text") << "hello " + malayalam + " world";
    QTest::newRow("inside SSML") << QByteArray("xiaoyan") << QByteArray("ssml")
                                 << "<speak>" + chinese + malayalam + "<break time=\"10ms\"/>" + malayalam + "</speak>";
}

void TestQttsApi::textPut_skipsScriptsNoVoiceSpeaks()
{
    QFETCH(QByteArray, voice);
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, text);
    const QByteArray params =
        session_params({{"vcn", voice.constData()}, {"ttp", type.constData()}, {"tte", "UTF8"}, {"aue", "raw"}});

    const auto with = m_engine.synthesise(params, text);
    const auto without = m_engine.synthesise(params, QByteArray(text).replace("\xe0\xb4\x80\xe0\xb4\x81", ""));
    QCOMPARE(with.audio_error, QTTS_SUCCESS);
    QVERIFY(std::abs(seconds(with.pcm) - seconds(without.pcm)) < espeak_length_jitter);
}

void TestQttsApi::sessionEnd_stopsASynthesisAtOnce()
{
    int error = 0;
    const QByteArray id = m_engine.begin(session_params({{"aue", "speex-wb;10"}}).constData(), &error);
    const QByteArray text = long_gbk_text(2048);
    QCOMPARE(m_engine.put(id.constData(), text.constData(), unsigned(text.size()), ""), QTTS_SUCCESS);
    unsigned int length = 0;
    int status = QTTS_AUDIO_MORE;
    while (length == 0 && status != QTTS_AUDIO_COMPLETE)
        m_engine.get(id.constData(), &length, &status, &error);
    QVERIFY(length > 0);
    QCOMPARE(m_engine.end(id.constData(), "\xd5\xfd\xb3\xa3\xb9\xd8\xb1\xd5"), QTTS_SUCCESS);
    QVERIFY(m_engine.get(id.constData(), &length, &status, &error) == nullptr);
    QCOMPARE(error, QTTS_ERROR_UNKNOWN_SESSION);
    // The worker is free for the next session straight away.
    const auto next = m_engine.synthesise(session_params(), short_text);
    QCOMPARE(next.audio_error, QTTS_SUCCESS);
    QVERIFY(seconds(next.pcm) > 1.0);
}

// One thread begins, speaks and ends sessions with the very pointer QTTSSessionBegin returned
// while another finalises and restarts the engine under it: every call either works or reports
// the id as unknown or the engine as stopped (a sanitizer build reports any read of freed
// memory; a freed id text read elsewhere could match nothing or a new session).
void TestQttsApi::staleIds_areRefusedWhileAnotherThreadFinalises()
{
    constexpr int rounds = 1000;
    const QByteArray params = session_params({{"aue", "raw"}});
    const QByteArray config = EngineClient::config();
    std::atomic<int> round{0};
    std::atomic<int> unexpected{0};
    const auto expected = [](int result) {
        return result == QTTS_SUCCESS || result == QTTS_ERROR_UNKNOWN_SESSION || result == QTTS_ERROR_NOT_INITIALISED;
    };
    std::thread speaker([&] {
        while (round < rounds) {
            int error = 0;
            const char *id = m_engine.begin(params.constData(), &error);
            if (id == nullptr)
                continue;
            const int put = m_engine.put(id, "a", 1, "");
            const int ended = m_engine.end(id, "");
            // Ended or swept away by the finaliser: the id is stale from here on.
            const int again = m_engine.end(id, "");
            unexpected += int(!expected(put)) + int(!expected(ended)) + int(again == QTTS_SUCCESS || !expected(again));
        }
    });
    std::thread finaliser([&] {
        for (; round < rounds; ++round) {
            m_engine.fini();
            m_engine.init(config.constData());
            std::this_thread::yield();
        }
    });
    finaliser.join();
    speaker.join();
    QCOMPARE(unexpected.load(), 0);
    int error = 0;
    const char *id = m_engine.begin(params.constData(), &error); // the engine ends up started
    QVERIFY(id != nullptr);
    QCOMPARE(m_engine.end(id, ""), QTTS_SUCCESS);
}

void TestQttsApi::twoThreads_areServedOneAfterTheOther()
{
    const QByteArray chinese = session_params({{"aue", "raw"}});
    const QByteArray english = session_params({{"vcn", "henry"}, {"tte", "UTF8"}, {"aue", "speex;5"}});
    const QByteArray english_text = "The quick brown fox jumps over the lazy dog.";
    const auto chinese_alone = m_engine.synthesise(chinese, short_text);
    const auto english_alone = m_engine.synthesise(english, english_text);
    for (int round = 0; round < 3; ++round) {
        EngineClient::Result a;
        EngineClient::Result b;
        std::thread first([&] { a = m_engine.synthesise(chinese, short_text); });
        std::thread second([&] { b = m_engine.synthesise(english, english_text); });
        first.join();
        second.join();
        QCOMPARE(a.audio_error, QTTS_SUCCESS);
        QCOMPARE(b.audio_error, QTTS_SUCCESS);
        // Each gets the audio it would get alone: nothing interleaved or lost. (espeak-ng's
        // flutter runs on across syntheses, so the samples themselves differ a little.)
        for (const auto &[together, alone] : {std::pair(&a, &chinese_alone), std::pair(&b, &english_alone)}) {
            QVERIFY(std::abs(seconds(together->pcm) - seconds(alone->pcm)) < espeak_length_jitter);
            const double level = pcm::rms(together->pcm);
            QVERIFY(level > 0.95 * pcm::rms(alone->pcm) && level < 1.05 * pcm::rms(alone->pcm));
        }
    }
}

void TestQttsApi::trace_recordsEveryCall()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trace.txt"));
    qputenv("LUMENO_ENGINE_TRACE", QFile::encodeName(path));
    const auto result = m_engine.synthesise(session_params({{"aue", "raw"}}), "\xc4\xe3\"\\");
    m_engine.put("nobody", "x", 1, nullptr);
    qunsetenv("LUMENO_ENGINE_TRACE");
    m_engine.put("nobody", "not traced", 10, nullptr);
    QCOMPARE(result.audio_error, QTTS_SUCCESS);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QVERIFY(lines.size() >= 6);
    const QByteArray begin = lines[0];
    QVERIFY2(begin.startsWith("QTTSSessionBegin(params=\"ssm=1,vcn=xiaoyan,spd=medium,vol=medium,ttp=text,tte=GB2312,"
                              "bgs=0,aue=raw,auf=audio/L16;rate=16000,rdn=0\") = \"lumeno-"),
             begin.constData());
    QVERIFY(begin.contains("\" errorCode=0 [t="));
    const QByteArray id = begin.split('"').value(3);
    QCOMPARE(lines[1].left(lines[1].indexOf(" [t=")),
             "QTTSTextPut(sessionID=\"" + id + "\", textString=\"\\xc4\\xe3\\\"\\\\\", textLen=4, params=\"\") = 0");
    int last = 2;
    while (lines[last].startsWith("QTTSAudioGet(sessionID=\"" + id + "\") = "))
        ++last;
    QCOMPARE(last - 2, result.polls);
    QVERIFY(lines[last - 1].contains("synthStatus=2 errorCode=0"));
    QCOMPARE(lines[last].left(lines[last].indexOf(" [t=")),
             "QTTSSessionEnd(sessionID=\"" + id + "\", hints=\"\\xd5\\xfd\\xb3\\xa3\\xb9\\xd8\\xb1\\xd5\") = 0");
    QVERIFY(lines[last + 1].startsWith("QTTSTextPut(sessionID=\"nobody\", textString=\"x\", textLen=1, params=null) = "
                                       + QByteArray::number(QTTS_ERROR_UNKNOWN_SESSION)));
    QCOMPARE(lines.size(), last + 3); // the untraced call left no line; the file ends with '\n'
}

void TestQttsApi::fini_endsEverySessionAndLaterCallsFail()
{
    int error = 0;
    const QByteArray running = m_engine.begin(session_params().constData(), &error);
    const QByteArray text = long_gbk_text(2048);
    QCOMPARE(m_engine.put(running.constData(), text.constData(), unsigned(text.size()), ""), QTTS_SUCCESS);
    const QByteArray idle = m_engine.begin(session_params().constData(), &error);
    QCOMPARE(m_engine.fini(), QTTS_SUCCESS);

    unsigned int length = 0;
    int status = 0;
    QVERIFY(m_engine.begin(session_params().constData(), &error) == nullptr);
    QCOMPARE(error, QTTS_ERROR_NOT_INITIALISED);
    QCOMPARE(m_engine.put(idle.constData(), "a", 1, ""), QTTS_ERROR_NOT_INITIALISED);
    QVERIFY(m_engine.get(running.constData(), &length, &status, &error) == nullptr);
    QCOMPARE(error, QTTS_ERROR_NOT_INITIALISED);
    QCOMPARE(status, QTTS_AUDIO_COMPLETE);
    QCOMPARE(m_engine.end(running.constData(), ""), QTTS_ERROR_NOT_INITIALISED);
    QCOMPARE(m_engine.fini(), QTTS_ERROR_NOT_INITIALISED);

    // The old sessions stay gone after a new start.
    QCOMPARE(m_engine.init(EngineClient::config().constData()), QTTS_SUCCESS);
    QCOMPARE(m_engine.end(idle.constData(), ""), QTTS_ERROR_UNKNOWN_SESSION);
}

QTEST_GUILESS_MAIN(TestQttsApi)
#include "test_qtts_api.moc"
