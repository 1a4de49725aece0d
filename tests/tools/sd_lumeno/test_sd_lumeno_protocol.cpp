// SPDX-License-Identifier: GPL-3.0-or-later
#include "module_client.h"

#include <QTest>
#include <algorithm>
#include <cmath>

namespace {

const QString kModule = QStringLiteral(SD_LUMENO_FILE);

// About half a minute of speech: long enough that nothing ends on its own during a test.
QByteArray long_text()
{
    QByteArray text = "<speak>";
    for (int i = 0; i < 40; ++i)
        text += "春天来了，河边的柳树发芽了，孩子们在草地上放风筝。";
    return text + "</speak>";
}

qsizetype index_of(const QList<ModuleClient::Item> &items, const QByteArray &line, qsizetype from = 0)
{
    for (qsizetype i = from; i < items.size(); ++i) {
        if (items[i].line == line)
            return i;
    }
    return -1;
}

double rms(const QByteArray &pcm)
{
    const auto *samples = reinterpret_cast<const qint16 *>(pcm.constData());
    const qsizetype n = pcm.size() / 2;
    double sum = 0;
    for (qsizetype i = 0; i < n; ++i)
        sum += double(samples[i]) * samples[i];
    return n > 0 ? std::sqrt(sum / double(n)) : 0;
}

// The median fundamental frequency of the voiced stretches, by autocorrelation (80..400 Hz).
double median_pitch(const QByteArray &pcm)
{
    const auto *samples = reinterpret_cast<const qint16 *>(pcm.constData());
    const qsizetype frame = 640;
    QList<double> pitches;
    for (qsizetype start = 0; start + frame <= pcm.size() / 2; start += frame) {
        const QByteArray part(reinterpret_cast<const char *>(samples + start), frame * 2);
        if (rms(part) < 1000)
            continue;
        double best = 0;
        int best_lag = 0;
        for (int lag = 40; lag <= 200; ++lag) {
            double sum = 0;
            for (qsizetype i = 0; i + lag < frame; ++i)
                sum += double(samples[start + i]) * samples[start + i + lag];
            if (sum > best) {
                best = sum;
                best_lag = lag;
            }
        }
        if (best_lag > 0)
            pitches << 16000.0 / best_lag;
    }
    std::sort(pitches.begin(), pitches.end());
    return pitches.isEmpty() ? 0 : pitches[pitches.size() / 2];
}

QByteArray all_audio(const QList<ModuleClient::Item> &items)
{
    QByteArray pcm;
    for (const ModuleClient::Item &item : items)
        pcm += item.audio;
    return pcm;
}

} // namespace

// sd_lumeno driven over its standard input and output as Speech Dispatcher drives it.
class TestSdLumenoProtocol final : public QObject {
    Q_OBJECT

private slots:
    void setupCommands_answerWithTheirCodes();
    void message_speaksBetweenBeginAndEnd_data();
    void message_speaksBetweenBeginAndEnd();
    void settings_rateVolumeAndPitchChangeTheAudio();
    void moduleSideAudio_playsThroughTheSoundOutput();
    void stop_endsSpeechAndNoAudioFollows();
    void indexMarks_comeInOrderAfterTheirAudio();
    void pause_endsAtTheNextIndexMark();
    void quitWhileSpeaking_exitsAtOnce();
    void megabyteUtterance_speaksAndStops();
    void closedInput_endsTheModule();
};

void TestSdLumenoProtocol::setupCommands_answerWithTheirCodes()
{
    ModuleClient module(kModule);
    QVERIFY(module.start());
    module.send("LOGLEVEL\nlog_level=5\n.\n");
    QVERIFY(module.wait_for("203 OK LOGLEVEL SET"));
    module.send("LIST VOICES\n");
    QVERIFY(module.wait_for("200 OK VOICE LIST SENT"));
    QStringList voices;
    for (const ModuleClient::Item &item : module.items()) {
        if (item.line.startsWith("200-"))
            voices << QString::fromUtf8(item.line.mid(4));
    }
    QCOMPARE(voices.size(), 41);
    QVERIFY(voices.contains(QStringLiteral("xiaoyan\tzh\tfemale1")));
    QVERIFY(voices.contains(QStringLiteral("xiaoyu\tzh\tmale1")));
    QVERIFY(voices.contains(QStringLiteral("aisdalong\tyue\tmale1")));
    QVERIFY(voices.contains(QStringLiteral("aisnn\tzh\tchild_female")));

    module.send("SET\nrate=20\nlanguage=zh\nvoice=male1\nsynthesis_voice=NULL\n.\n");
    QVERIFY(module.wait_for("203 OK SETTINGS RECEIVED"));
    module.send("SET\nrate=101\n.\n");
    QVERIFY(module.wait_for("303 ERROR INVALID PARAMETER OR VALUE"));
    module.send("SET\nrate 20\n.\n");
    QVERIFY(module.wait_for("302 ERROR BAD SYNTAX"));
    // Malformed lines outside any block: answered, and the module goes on.
    module.send("SPAEK\n\n\x01\xff garbage\n");
    for (int i = 0; i < 3; ++i)
        QVERIFY(module.wait_for("300 ERR UNKNOWN COMMAND"));
    module.send("STOP\n"); // nothing to stop: no answer at all
    module.speak("SPEAK", "<speak>你好</speak>");
    QVERIFY(module.wait_for("702 END"));
    QCOMPARE(index_of(module.items(), "703 STOP"), -1);
    module.send("QUIT\n");
    QVERIFY(module.wait_for("210 OK QUIT"));
    QVERIFY(module.process().waitForFinished(5000));
    QCOMPARE(module.process().exitCode(), 0);
}

void TestSdLumenoProtocol::message_speaksBetweenBeginAndEnd_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("min_seconds");
    QTest::newRow("ssml") << QByteArray("SPEAK") << QByteArray("<speak>他在银行工作，请重新开始。</speak>") << 1.5;
    QTest::newRow("plain text") << QByteArray("SPEAK") << QByteArray("你好 & <再见>") << 0.5;
    // A lone dot in the text arrives doubled.
    QTest::newRow("dot line") << QByteArray("SPEAK") << QByteArray("<speak>第一行\n..\n第二行</speak>") << 0.5;
    QTest::newRow("char") << QByteArray("CHAR") << QByteArray("银") << 0.15;
    QTest::newRow("key") << QByteArray("KEY") << QByteArray("shift_a") << 0.3;
    QTest::newRow("sound icon") << QByteArray("SOUND_ICON") << QByteArray("message") << 0.3;
}

void TestSdLumenoProtocol::message_speaksBetweenBeginAndEnd()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, text);
    QFETCH(double, min_seconds);
    ModuleClient module(kModule);
    QVERIFY(module.start());
    module.speak(command, text);
    QVERIFY(module.wait_for("702 END"));
    const QList<ModuleClient::Item> &items = module.items();
    const qsizetype received = index_of(items, "202 OK RECEIVING MESSAGE");
    const qsizetype speaking = index_of(items, "200 OK SPEAKING");
    const qsizetype begin = index_of(items, "701 BEGIN");
    const qsizetype first_audio = index_of(items, "705 AUDIO");
    const qsizetype end = index_of(items, "702 END");
    QVERIFY(received >= 0 && received < speaking && speaking < begin && begin < first_audio && first_audio < end);
    const double seconds = double(module.audio_bytes()) / (2 * 16000);
    QVERIFY2(seconds >= min_seconds && seconds < 10, qPrintable(QString::number(seconds)));
}

void TestSdLumenoProtocol::settings_rateVolumeAndPitchChangeTheAudio()
{
    ModuleClient module(kModule);
    QVERIFY(module.start());
    QByteArray audio[2];
    const QByteArray settings[2] = {"rate=-100\nvolume=-100\npitch=-80\n", "rate=100\nvolume=100\npitch=80\n"};
    for (int i = 0; i < 2; ++i) {
        module.send("SET\n" + settings[i] + ".\n");
        QVERIFY(module.wait_for("203 OK SETTINGS RECEIVED"));
        const qsizetype from = module.items().size();
        module.speak("SPEAK", "<speak>今天的天气怎么样？</speak>");
        QVERIFY(module.wait_for("702 END"));
        audio[i] = all_audio(module.items().mid(from));
    }
    // Half against double the voice's speed, -12 dB against +4 dB.
    QVERIFY2(audio[0].size() > audio[1].size() * 3,
             qPrintable(QStringLiteral("%1 %2").arg(audio[0].size()).arg(audio[1].size())));
    QVERIFY2(rms(audio[1]) > rms(audio[0]) * 3,
             qPrintable(QStringLiteral("%1 %2").arg(rms(audio[0])).arg(rms(audio[1]))));
    const double low = median_pitch(audio[0]);
    const double high = median_pitch(audio[1]);
    QVERIFY2(high > low * 1.3, qPrintable(QStringLiteral("%1 Hz %2 Hz").arg(low).arg(high)));
}

void TestSdLumenoProtocol::moduleSideAudio_playsThroughTheSoundOutput()
{
    // A server without server audio: the module plays itself (here the null sound output,
    // which takes as long as the audio lasts).
    qputenv("LUMENO_SOUND", "null");
    ModuleClient module(kModule);
    qunsetenv("LUMENO_SOUND");
    module.send("INIT\nAUDIO\naudio_output_method=pulse\n.\n");
    QVERIFY(module.wait_for("203 OK AUDIO INITIALIZED"));
    QElapsedTimer timer;
    timer.start();
    module.speak("SPEAK", "<speak>他在银行工作，<mark name=\"m\"/>请重新开始。</speak>");
    QVERIFY(module.wait_for("700-m"));
    QVERIFY(module.wait_for("702 END"));
    QCOMPARE(module.audio_bytes(), 0);
    QVERIFY2(timer.elapsed() > 1500, qPrintable(QString::number(timer.elapsed())));
    module.speak("SPEAK", long_text());
    QVERIFY(module.wait_for("701 BEGIN"));
    QTest::qWait(300);
    module.send("STOP\n");
    QVERIFY(module.wait_for("703 STOP", 2000));
}

void TestSdLumenoProtocol::stop_endsSpeechAndNoAudioFollows()
{
    ModuleClient module(kModule);
    QVERIFY(module.start());
    module.speak("SPEAK", long_text());
    QVERIFY(module.wait_for("705 AUDIO"));
    // A second message while one is spoken is refused.
    module.speak("SPEAK", "<speak>你好</speak>");
    QVERIFY(module.wait_for("301 ERROR CANT SPEAK"));
    module.send("STOP\n");
    QVERIFY(module.wait_for("703 STOP", 2000));
    module.drain(500);
    const QList<ModuleClient::Item> &items = module.items();
    const qsizetype stopped = index_of(items, "703 STOP");
    QCOMPARE(index_of(items, "705 AUDIO", stopped), -1);
    QCOMPARE(index_of(items, "702 END"), -1);
    QVERIFY(module.audio_bytes() < 10 * 2 * 16000);
    // And the module speaks the next message whole.
    module.speak("SPEAK", "<speak>你好</speak>");
    QVERIFY(module.wait_for("702 END"));
}

void TestSdLumenoProtocol::indexMarks_comeInOrderAfterTheirAudio()
{
    ModuleClient module(kModule);
    QVERIFY(module.start());
    module.speak("SPEAK", "<speak><prosody rate=\"fast\">他在银行<mark name=\"a\"/>工作，</prosody>"
                          "<mark name='b'/>请重新<mark name=\"c\"/>开始。<mark name=\"d\"/></speak>");
    QVERIFY(module.wait_for("702 END"));
    const QList<ModuleClient::Item> &items = module.items();
    qsizetype previous = index_of(items, "701 BEGIN");
    for (const QByteArray mark : {"a", "b", "c", "d"}) {
        const qsizetype at = index_of(items, "700-" + mark, previous);
        QVERIFY2(at > previous, mark.constData());
        QCOMPARE(items[at + 1].line, QByteArray("700 INDEX MARK"));
        // Each mark follows the audio of the text before it.
        const qsizetype audio = index_of(items, "705 AUDIO", previous);
        QVERIFY2(audio > previous && audio < at, mark.constData());
        previous = at + 1;
    }
    QCOMPARE(index_of(items, "705 AUDIO", previous), -1);

    // Marks at every word cost no pauses: the sentence is spoken whole, as without them.
    const qsizetype marked = module.audio_bytes();
    module.speak("SPEAK", "<speak><prosody rate=\"fast\">他在银行工作，</prosody>请重新开始。</speak>");
    QVERIFY(module.wait_for("702 END"));
    const qsizetype plain = module.audio_bytes() - marked;
    QVERIFY2(std::abs(marked - plain) < plain / 20, qPrintable(QStringLiteral("%1 %2").arg(marked).arg(plain)));
}

void TestSdLumenoProtocol::pause_endsAtTheNextIndexMark()
{
    ModuleClient module(kModule);
    QVERIFY(module.start());
    QByteArray text = "<speak>";
    for (int i = 0; i < 20; ++i)
        text += "孩子们在草地上放风筝。<mark name=\"__spd_id_" + QByteArray::number(i) + "\"/>";
    module.speak("SPEAK", text + "</speak>");
    QVERIFY(module.wait_for("705 AUDIO"));
    module.send("PAUSE\n");
    QVERIFY(module.wait_for("704 PAUSE"));
    const QList<ModuleClient::Item> &items = module.items();
    const qsizetype paused = index_of(items, "704 PAUSE");
    QCOMPARE(items[paused - 1].line, QByteArray("700 INDEX MARK"));
    QVERIFY(items[paused - 2].line.startsWith("700-__spd_id_"));
    QVERIFY(items[paused - 2].line != "700-__spd_id_19");
    QCOMPARE(index_of(items, "702 END"), -1);
}

void TestSdLumenoProtocol::quitWhileSpeaking_exitsAtOnce()
{
    ModuleClient module(kModule);
    QVERIFY(module.start());
    module.speak("SPEAK", long_text());
    QVERIFY(module.wait_for("705 AUDIO"));
    module.send("QUIT\n");
    QVERIFY(module.wait_for("210 OK QUIT", 3000));
    QVERIFY(module.process().waitForFinished(3000));
    QCOMPARE(module.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(module.process().exitCode(), 0);
}

void TestSdLumenoProtocol::megabyteUtterance_speaksAndStops()
{
    ModuleClient module(kModule);
    QVERIFY(module.start());
    QByteArray text = "<speak>";
    while (text.size() < 1024 * 1024)
        text += "我们明天一起去图书馆。\n";
    module.speak("SPEAK", text + "</speak>");
    QVERIFY(module.wait_for("705 AUDIO", 30000));
    module.send("STOP\n");
    QVERIFY(module.wait_for("703 STOP", 3000));
    module.speak("SPEAK", "<speak>好</speak>");
    QVERIFY(module.wait_for("702 END"));
}

void TestSdLumenoProtocol::closedInput_endsTheModule()
{
    ModuleClient module(kModule);
    QVERIFY(module.start());
    module.speak("SPEAK", long_text());
    QVERIFY(module.wait_for("705 AUDIO"));
    // The server vanished: its end of the pipes closes.
    module.process().closeWriteChannel();
    module.process().closeReadChannel(QProcess::StandardOutput);
    QVERIFY(module.process().waitForFinished(5000));
    QCOMPARE(module.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(module.process().exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestSdLumenoProtocol)
#include "test_sd_lumeno_protocol.moc"
