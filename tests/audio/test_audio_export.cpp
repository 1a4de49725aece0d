// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/file_dialog.h"
#include "app/dialogs/message_box.h"
#include "app/export/audio_export.h"
#include "audio/audio_player.h"
#include "file_bytes.h"
#include "file_size_limit.h"
#include "output_log.h"
#include "platform/sound_output.h"
#include "test_wav.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <optional>
#include <sndfile.h>
#include <vector>

using test_wav::pattern;

namespace {

// Speech-like audio: two tones and a little noise, so that every encoder has work to do and a
// sample in the wrong byte order or place shows in what is decoded.
QByteArray tone(int seconds, quint32 rate)
{
    QByteArray pcm;
    quint32 noise = 12345;
    for (qint64 i = 0; i < qint64{seconds} * rate; ++i) {
        noise = noise * 1103515245U + 12345U;
        const double t = static_cast<double>(i) / rate;
        const double value = 6000 * std::sin(2 * M_PI * 440 * t) + 3000 * std::sin(2 * M_PI * 1230 * t)
                             + static_cast<double>(noise >> 16) / 65536 * 1000;
        pcm += test_wav::le16(static_cast<quint16>(static_cast<qint16>(value)));
    }
    return pcm;
}

struct Decoded {
    SF_INFO info{};
    std::vector<short> samples;
};

std::optional<Decoded> decode(const QString &path)
{
    Decoded decoded;
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &decoded.info);
    if (file == nullptr)
        return std::nullopt;
    decoded.samples.resize(static_cast<std::size_t>(decoded.info.frames * decoded.info.channels));
    decoded.samples.resize(static_cast<std::size_t>(
        sf_read_short(file, decoded.samples.data(), static_cast<sf_count_t>(decoded.samples.size()))));
    sf_close(file);
    return decoded;
}

enum class Failure { FullDisk, MissingFolder, ReadOnly };

} // namespace

Q_DECLARE_METATYPE(Failure)

class TestAudioExport final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void saveVoice_withNothingSynthesizedShowsMessageOnly();
    void saveVoice_offersWavNameInSaveMode();
    void saveVoice_writesBufferByteForByte();
    void saveVoice_overLongerFileKeepsNewLength();
    void saveVoice_cancelWritesAndShowsNothing();
    void saveVoice_unwritablePathIsReported();
    void saveVoice_failedWriteKeepsEarlierFile();
    void saveVoice_extensionChoosesTheFileType_data();
    void saveVoice_extensionChoosesTheFileType();
    void saveVoice_failedEncodingKeepsEarlierFile_data();
    void saveVoice_failedEncodingKeepsEarlierFile();
    void saveVoice_duringPlaybackLeavesItPlaying();

private:
    QTemporaryDir m_dir;
    FileDialog m_dialog{nullptr};
    const PcmAudio m_speech{PcmFormat{16000}, pattern(5000)};
    // What a saved WAV must hold, built without the program's own writer.
    const QByteArray m_wav = test_wav::wav(m_speech.bytes, 16000);
};

void TestAudioExport::initTestCase()
{
    QVERIFY(m_dir.isValid());
    message_box::record_only(true);
    qunsetenv("LUMENO_SOUND");
    sound_output_select(SoundBackend::Null);
}

void TestAudioExport::init()
{
    message_box::take_recorded();
}

void TestAudioExport::cleanup()
{
    // Unused answers would leak into the next test.
    while (FileDialog::pending_answers() > 0)
        m_dialog.exec();
}

void TestAudioExport::saveVoice_withNothingSynthesizedShowsMessageOnly()
{
    FileDialog::answer_next(m_dir.filePath(QStringLiteral("never.wav")));
    AudioExport::save_voice(PcmAudio{}, m_dialog);
    QCOMPARE(message_box::take_recorded(), QStringList{QStringLiteral("请先合成语音再进行导出！")});
    QCOMPARE(FileDialog::pending_answers(), 1);
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("never.wav"))));
}

void TestAudioExport::saveVoice_offersWavNameInSaveMode()
{
    // The text import leaves the shared dialog set up for opening text files.
    m_dialog.configure(FileDialog::Mode::Open, QStringLiteral("a.txt"), QStringLiteral("文本文档(*.txt)|*.txt"));
    FileDialog::answer_next(std::nullopt);
    AudioExport::save_voice(m_speech, m_dialog);
    QCOMPARE(m_dialog.objectName(), QStringLiteral("导出"));
    QCOMPARE(m_dialog.mode(), FileDialog::Mode::Save);
    QCOMPARE(m_dialog.initial_name(), QStringLiteral("合成语音.wav"));
    // The WAV filter is the first one, whose suffix a bare name gets; each compressed type
    // has a filter of its own.
    QVERIFY(m_dialog.filter().startsWith(QStringLiteral("文本文档(*.wav)|*.wav|")));
    const QStringList filters = FileDialog::to_name_filters(m_dialog.filter());
    QCOMPARE(filters.value(0), QStringLiteral("文本文档(*.wav)"));
    for (const char *suffix : {"mp3", "ogg", "opus", "flac"}) {
        const QString pattern = QStringLiteral("(*.%1)").arg(QLatin1StringView(suffix));
        QVERIFY2(std::any_of(filters.begin(), filters.end(), [&](const QString &f) { return f.endsWith(pattern); }),
                 suffix);
    }
}

void TestAudioExport::saveVoice_writesBufferByteForByte()
{
    const QString path = m_dir.filePath(QStringLiteral("合成语音.wav"));
    FileDialog::answer_next(path);
    AudioExport::save_voice(m_speech, m_dialog);
    QCOMPARE(file_bytes::read(path), m_wav);
    QCOMPARE(message_box::take_recorded(), QStringList{QStringLiteral("导出成功:") + QDir::toNativeSeparators(path)});
    // Only the file itself is left, nothing beside it.
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("合成语音.wav")});
}

void TestAudioExport::saveVoice_overLongerFileKeepsNewLength()
{
    const QString path = m_dir.filePath(QStringLiteral("longer.wav"));
    QVERIFY(file_bytes::write(path, QByteArray(3 * m_wav.size(), 'x')));
    FileDialog::answer_next(path);
    AudioExport::save_voice(m_speech, m_dialog);
    QCOMPARE(QFileInfo(path).size(), m_wav.size());
    QCOMPARE(file_bytes::read(path), m_wav);
}

void TestAudioExport::saveVoice_cancelWritesAndShowsNothing()
{
    const QStringList before = QDir(m_dir.path()).entryList(QDir::Files);
    FileDialog::answer_next(std::nullopt);
    AudioExport::save_voice(m_speech, m_dialog);
    QVERIFY(message_box::take_recorded().isEmpty());
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), before);
}

void TestAudioExport::saveVoice_unwritablePathIsReported()
{
    const QString path = m_dir.filePath(QStringLiteral("missing/folder/out.wav"));
    FileDialog::answer_next(path);
    AudioExport::save_voice(m_speech, m_dialog);
    QCOMPARE(message_box::take_recorded(),
             QStringList{QStringLiteral("导出失败：") + path + QStringLiteral("（没有那个文件或目录）")});
    QVERIFY(!QFile::exists(path));
}

void TestAudioExport::saveVoice_failedWriteKeepsEarlierFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("good.wav"));
    const QByteArray earlier = test_wav::wav(pattern(100, 3), 8000);
    QVERIFY(file_bytes::write(path, earlier));
    const PcmAudio larger{PcmFormat{16000}, pattern(200000)};
    {
        // The disk fills up part way through the write.
        FileSizeLimit limit(65536);
        QVERIFY(limit.active());
        FileDialog::answer_next(path);
        AudioExport::save_voice(larger, m_dialog);
    }
    QCOMPARE(message_box::take_recorded(),
             QStringList{QStringLiteral("导出失败：") + path + QStringLiteral("（文件过大）")});
    QCOMPARE(file_bytes::read(path), earlier);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("good.wav")});
}

void TestAudioExport::saveVoice_extensionChoosesTheFileType_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<quint32>("rate");
    QTest::addColumn<int>("format");
    QTest::newRow("mp3") << QStringLiteral("合成语音.mp3") << 16000U << (SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III);
    QTest::newRow("mp3 8 kHz") << QStringLiteral("低.mp3") << 8000U << (SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III);
    QTest::newRow("ogg") << QStringLiteral("合成语音.ogg") << 16000U << (SF_FORMAT_OGG | SF_FORMAT_VORBIS);
    QTest::newRow("opus") << QStringLiteral("合成语音.opus") << 16000U << (SF_FORMAT_OGG | SF_FORMAT_OPUS);
    QTest::newRow("opus 8 kHz") << QStringLiteral("低.opus") << 8000U << (SF_FORMAT_OGG | SF_FORMAT_OPUS);
    QTest::newRow("flac") << QStringLiteral("合成语音.flac") << 16000U << (SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    QTest::newRow("FLAC") << QStringLiteral("大写.FLAC") << 8000U << (SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    QTest::newRow("other") << QStringLiteral("语音.audio") << 16000U << (SF_FORMAT_WAV | SF_FORMAT_PCM_16);
}

// The chosen name's extension decides the file type; the file holds the speech at its rate
// and length, and nothing is left beside it.
void TestAudioExport::saveVoice_extensionChoosesTheFileType()
{
    QFETCH(QString, name);
    QFETCH(quint32, rate);
    QFETCH(int, format);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    const QByteArray pcm = tone(4, rate);
    FileDialog::answer_next(path);
    AudioExport::save_voice(PcmAudio{PcmFormat{rate}, pcm}, m_dialog);
    QCOMPARE(message_box::take_recorded(), QStringList{QStringLiteral("导出成功:") + QDir::toNativeSeparators(path)});
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{name});

    const std::optional<Decoded> decoded = decode(path);
    QVERIFY2(decoded, sf_strerror(nullptr));
    QCOMPARE(decoded->info.format, format);
    QCOMPARE(decoded->info.channels, 1);
    QCOMPARE(decoded->info.samplerate, static_cast<int>(rate));
    const qsizetype frames = pcm.size() / 2;
    QVERIFY2(std::abs(decoded->info.frames - frames) < frames / 100,
             qPrintable(QStringLiteral("%1 frames, %2 written").arg(decoded->info.frames).arg(frames)));
    const auto *written = reinterpret_cast<const short *>(pcm.constData());
    if ((format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16) {
        QVERIFY(std::equal(decoded->samples.begin(), decoded->samples.end(), written, written + frames));
    } else {
        // Lossy: the same sound, give or take what the encoder drops, in the same place.
        QCOMPARE(decoded->samples.size(), static_cast<std::size_t>(frames));
        double said = 0;
        double error = 0;
        for (std::size_t i = 0; i < decoded->samples.size(); ++i) {
            said += std::pow(written[i], 2);
            error += std::pow(decoded->samples[i] - written[i], 2);
        }
        // The error is about a tenth of the sound; the audio one sample late gives more than a quarter.
        QVERIFY2(std::sqrt(error / said) < 0.25, qPrintable(QStringLiteral("error %1").arg(std::sqrt(error / said))));
    }
}

void TestAudioExport::saveVoice_failedEncodingKeepsEarlierFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<QString>("reason");
    for (const char *name : {"旧.mp3", "旧.ogg", "旧.opus", "旧.flac"})
        QTest::newRow(name) << QString::fromUtf8(name) << Failure::FullDisk << QStringLiteral("文件过大");
    QTest::newRow("missing folder") << QStringLiteral("missing/旧.mp3") << Failure::MissingFolder
                                    << QStringLiteral("没有那个文件或目录");
    QTest::newRow("read-only") << QStringLiteral("旧.opus") << Failure::ReadOnly << QStringLiteral("权限不够");
}

// A compressed file that could not be written whole never replaces the earlier one, and the
// message gives the system's reason.
void TestAudioExport::saveVoice_failedEncodingKeepsEarlierFile()
{
    QFETCH(QString, name);
    QFETCH(Failure, failure);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    const QByteArray earlier("earlier contents");
    if (failure != Failure::MissingFolder)
        QVERIFY(file_bytes::write(path, earlier));
    if (failure == Failure::ReadOnly)
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const PcmAudio speech{PcmFormat{16000}, tone(30, 16000)};
    {
        std::optional<FileSizeLimit> limit;
        if (failure == Failure::FullDisk) {
            limit.emplace(8192);
            QVERIFY(limit->active());
        }
        FileDialog::answer_next(path);
        AudioExport::save_voice(speech, m_dialog);
    }
    QCOMPARE(message_box::take_recorded(), QStringList{QStringLiteral("导出失败：") + path + u'（' + reason + u'）'});
    QCOMPARE(file_bytes::read(path), failure == Failure::MissingFolder ? QByteArray() : earlier);
    const QStringList left = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    QCOMPARE(left, failure == Failure::MissingFolder ? QStringList() : QStringList{name});
}

void TestAudioExport::saveVoice_duringPlaybackLeavesItPlaying()
{
    OutputLog log;
    // Ten seconds of sound.
    QVERIFY(AudioPlayer::play(PcmAudio{PcmFormat{16000}, pattern(320000)}));
    QVERIFY(log.wait_for_count(OutputLog::Kind::Write, AudioPlayer::kBlockCount, 5000));

    const QString path = m_dir.filePath(QStringLiteral("while playing.wav"));
    FileDialog::answer_next(path);
    AudioExport::save_voice(m_speech, m_dialog);
    QCOMPARE(file_bytes::read(path), m_wav);

    QCOMPARE(AudioPlayer::live_count(), 1);
    QVERIFY(log.of(OutputLog::Kind::Pause).isEmpty());
    QVERIFY(log.of(OutputLog::Kind::Reset).isEmpty());
    AudioPlayer::stop_all();
    QVERIFY(AudioPlayer::wait_idle(5000));
}

QTEST_MAIN(TestAudioExport)
#include "test_audio_export.moc"
