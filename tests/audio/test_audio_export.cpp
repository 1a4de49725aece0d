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

using test_wav::pattern;

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
    void saveVoice_duringPlaybackLeavesItPlaying();

private:
    QTemporaryDir m_dir;
    FileDialog m_dialog{nullptr};
    const QByteArray m_wav = test_wav::wav(pattern(5000), 16000);
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
    AudioExport::save_voice(QByteArray(), m_dialog);
    QCOMPARE(message_box::take_recorded(), QStringList{QStringLiteral("请先合成语音再进行导出！")});
    QCOMPARE(FileDialog::pending_answers(), 1);
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("never.wav"))));
}

void TestAudioExport::saveVoice_offersWavNameInSaveMode()
{
    // The text import leaves the shared dialog set up for opening text files.
    m_dialog.configure(FileDialog::Mode::Open, QStringLiteral("a.txt"), QStringLiteral("文本文档(*.txt)|*.txt"));
    FileDialog::answer_next(std::nullopt);
    AudioExport::save_voice(m_wav, m_dialog);
    QCOMPARE(m_dialog.objectName(), QStringLiteral("导出"));
    QCOMPARE(m_dialog.mode(), FileDialog::Mode::Save);
    QCOMPARE(m_dialog.initial_name(), QStringLiteral("合成语音.wav"));
    QCOMPARE(m_dialog.filter(), QStringLiteral("文本文档(*.wav)|*.wav"));
}

void TestAudioExport::saveVoice_writesBufferByteForByte()
{
    const QString path = m_dir.filePath(QStringLiteral("合成语音.wav"));
    FileDialog::answer_next(path);
    AudioExport::save_voice(m_wav, m_dialog);
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
    AudioExport::save_voice(m_wav, m_dialog);
    QCOMPARE(QFileInfo(path).size(), m_wav.size());
    QCOMPARE(file_bytes::read(path), m_wav);
}

void TestAudioExport::saveVoice_cancelWritesAndShowsNothing()
{
    const QStringList before = QDir(m_dir.path()).entryList(QDir::Files);
    FileDialog::answer_next(std::nullopt);
    AudioExport::save_voice(m_wav, m_dialog);
    QVERIFY(message_box::take_recorded().isEmpty());
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), before);
}

void TestAudioExport::saveVoice_unwritablePathIsReported()
{
    const QString path = m_dir.filePath(QStringLiteral("missing/folder/out.wav"));
    FileDialog::answer_next(path);
    AudioExport::save_voice(m_wav, m_dialog);
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
    const QByteArray larger = test_wav::wav(pattern(200000), 16000);
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

void TestAudioExport::saveVoice_duringPlaybackLeavesItPlaying()
{
    OutputLog log;
    // Ten seconds of sound.
    QVERIFY(AudioPlayer::play(test_wav::wav(pattern(320000), 16000)));
    QVERIFY(log.wait_for_count(OutputLog::Kind::Write, AudioPlayer::kBlockCount, 5000));

    const QString path = m_dir.filePath(QStringLiteral("while playing.wav"));
    FileDialog::answer_next(path);
    AudioExport::save_voice(m_wav, m_dialog);
    QCOMPARE(file_bytes::read(path), m_wav);

    QCOMPARE(AudioPlayer::live_count(), 1);
    QVERIFY(log.of(OutputLog::Kind::Pause).isEmpty());
    QVERIFY(log.of(OutputLog::Kind::Reset).isEmpty());
    AudioPlayer::stop_all();
    QVERIFY(AudioPlayer::wait_idle(5000));
}

QTEST_MAIN(TestAudioExport)
#include "test_audio_export.moc"
