// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/audio_player.h"
#include "output_log.h"
#include "platform/sound_output.h"
#include "platform/sound_output_null.h"
#include "test_wav.h"

#include <QElapsedTimer>
#include <QTest>
#include <memory>

using Kind = OutputLog::Kind;
using test_wav::chunk;
using test_wav::format_block;
using test_wav::pattern;
using test_wav::riff;

namespace {

constexpr int kBlock = AudioPlayer::kBlockSize;
// 192 kHz 16-bit mono: one full block lasts 40 ms, so whole sounds pass quickly.
constexpr quint32 kFastRate = 192000;
// 8 kHz 16-bit mono: one full block lasts 960 ms.
constexpr quint32 kSlowRate = 8000;

} // namespace

class TestAudioPlayer final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void play_writesAudioInOrderInFullBlocks_data();
    void play_writesAudioInOrderInFullBlocks();
    void play_queuesAllBlocksOfTheRingAtOnce();
    void play_withLoopStartsOverAtTheEnd();
    void play_readsChunksWithinTheBytesGiven_data();
    void play_readsChunksWithinTheBytesGiven();
    void play_rejectsUnplayableBytes_data();
    void play_rejectsUnplayableBytes();
    void play_twoSoundsPlayAtOnce();
    void stopAll_cutsPlayingSoundAndAllowsNewOne();
    void stopAll_withNothingPlayingDoesNothing();
    void play_withoutDeviceEndsAfterWatchdog();

private:
    std::unique_ptr<OutputLog> m_log;
};

void TestAudioPlayer::initTestCase()
{
    qunsetenv("LUMENO_SOUND");
    sound_output_select(SoundBackend::Null);
}

void TestAudioPlayer::init()
{
    sound_output_null_set_device_count(1);
    sound_output_null_set_open_fails(false);
    m_log = std::make_unique<OutputLog>();
}

void TestAudioPlayer::cleanup()
{
    AudioPlayer::stop_all();
    QVERIFY(AudioPlayer::wait_idle(15000));
    m_log.reset();
}

void TestAudioPlayer::play_writesAudioInOrderInFullBlocks_data()
{
    QTest::addColumn<qsizetype>("length");
    QTest::addColumn<QList<qsizetype>>("pieces");
    QTest::newRow("shorter than a block") << qsizetype{1000} << QList<qsizetype>{1000};
    QTest::newRow("exactly two blocks") << qsizetype{2 * kBlock} << QList<qsizetype>{kBlock, kBlock};
    QTest::newRow("three and a half") << qsizetype{3 * kBlock + kBlock / 2}
                                      << QList<qsizetype>{kBlock, kBlock, kBlock, kBlock / 2};
    QTest::newRow("one byte over") << qsizetype{kBlock + 1} << QList<qsizetype>{kBlock, 1};
    QTest::newRow("longer than the ring")
        << qsizetype{22 * kBlock + 10} << QList<qsizetype>(22, kBlock) + QList<qsizetype>{10};
}

void TestAudioPlayer::play_writesAudioInOrderInFullBlocks()
{
    QFETCH(qsizetype, length);
    QFETCH(QList<qsizetype>, pieces);
    const QByteArray audio = pattern(length);
    QByteArray wav = test_wav::wav(audio, kFastRate);

    QVERIFY(AudioPlayer::play(wav));
    // The player works from its own copy.
    wav.fill('\0');

    QVERIFY(AudioPlayer::wait_idle(5000));
    QCOMPARE(m_log->written_sizes(), pieces);
    QCOMPARE(m_log->written_bytes(), audio);
    QCOMPARE(m_log->of(Kind::Done).size(), pieces.size());
    // A sound that ran to its end is closed without a reset.
    QVERIFY(m_log->of(Kind::Reset).isEmpty());
    QCOMPARE(m_log->of(Kind::Close).size(), 1);
    QCOMPARE(m_log->of(Kind::Close).constFirst().handed_back, 0u);
}

void TestAudioPlayer::play_queuesAllBlocksOfTheRingAtOnce()
{
    QVERIFY(AudioPlayer::play(test_wav::wav(pattern(25 * kBlock), kSlowRate)));

    QVERIFY(m_log->wait_for_count(Kind::Write, AudioPlayer::kBlockCount, 5000));
    QVERIFY(m_log->wait_for_count(Kind::Done, 1, 5000));
    // Until the first block came back the ring was full: exactly 20 written, none more.
    const QList<OutputLog::Entry> all = m_log->entries();
    const auto first_done = std::find_if(all.begin(), all.end(), [](const auto &e) { return e.kind == Kind::Done; });
    QCOMPARE(std::count_if(all.begin(), first_done, [](const auto &e) { return e.kind == Kind::Write; }),
             AudioPlayer::kBlockCount);
    // The returned block is refilled with the 21st piece.
    QVERIFY(m_log->wait_for_count(Kind::Write, AudioPlayer::kBlockCount + 1, 5000));
    QCOMPARE(m_log->of(Kind::Write).at(AudioPlayer::kBlockCount).bytes,
             pattern(25 * kBlock).mid(AudioPlayer::kBlockCount * kBlock, kBlock));
}

void TestAudioPlayer::play_withLoopStartsOverAtTheEnd()
{
    const QByteArray audio = pattern(3 * kBlock / 2);
    QVERIFY(AudioPlayer::play(test_wav::wav(audio, kFastRate), true));

    QVERIFY(m_log->wait_for_count(Kind::Write, 7, 5000));
    AudioPlayer::stop_all();
    QVERIFY(AudioPlayer::wait_idle(5000));
    const QByteArray played = m_log->written_bytes();
    QVERIFY(played.size() >= 3 * audio.size());
    QCOMPARE(played.left(3 * audio.size()), audio.repeated(3));
    QCOMPARE(m_log->written_sizes().mid(0, 6),
             (QList<qsizetype>{kBlock, kBlock / 2, kBlock, kBlock / 2, kBlock, kBlock / 2}));
}

void TestAudioPlayer::play_readsChunksWithinTheBytesGiven_data()
{
    QTest::addColumn<QByteArray>("wav");
    QTest::addColumn<QByteArray>("heard");

    const QByteArray fmt = chunk("fmt ", format_block(kFastRate));
    const QByteArray audio = pattern(20000);
    QTest::newRow("exact sizes") << riff(fmt + chunk("data", audio)) << audio;
    QTest::newRow("data size past the end") << riff(fmt + chunk("data", audio, 100000)) << audio;
    QTest::newRow("RIFF size past the end") << riff(fmt + chunk("data", audio), 1000000) << audio;
    QTest::newRow("other chunks first") << riff(chunk("LIST", pattern(10)) + fmt + chunk("fact", test_wav::le32(7))
                                                + chunk("data", audio))
                                        << audio;
    QTest::newRow("odd chunk with pad byte")
        << riff(chunk("note", pattern(5)) + QByteArray(1, '\0') + fmt + chunk("data", audio)) << audio;
    QTest::newRow("data before fmt") << riff(chunk("data", audio) + fmt) << audio;
    QTest::newRow("odd audio length") << riff(fmt + chunk("data", audio.left(1001))) << audio.left(1001);
}

void TestAudioPlayer::play_readsChunksWithinTheBytesGiven()
{
    QFETCH(QByteArray, wav);
    QFETCH(QByteArray, heard);
    QVERIFY(AudioPlayer::play(wav));
    QVERIFY(AudioPlayer::wait_idle(5000));
    QCOMPARE(m_log->written_bytes(), heard);
}

void TestAudioPlayer::play_rejectsUnplayableBytes_data()
{
    QTest::addColumn<QByteArray>("wav");

    const QByteArray fmt = chunk("fmt ", format_block(16000));
    const QByteArray good = riff(fmt + chunk("data", pattern(100)));
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("35 bytes") << good.left(35);
    QTest::newRow("not RIFF") << QByteArray("RIFX") + good.mid(4);
    QTest::newRow("not WAVE") << good.left(8) + "AVI " + good.mid(12);
    QTest::newRow("no fmt chunk") << riff(chunk("LIST", pattern(20)) + chunk("data", pattern(100)));
    QTest::newRow("no data chunk") << riff(fmt + chunk("LIST", pattern(100)));
    QTest::newRow("data size 0") << riff(fmt + chunk("data", QByteArray()) + pattern(100));
    QTest::newRow("data header only") << riff(fmt + chunk("data", QByteArray(), 100));
    // A chunk claiming more than is there hides what follows it.
    QTest::newRow("chunk jumps past the end")
        << riff(chunk("LIST", pattern(8), 5000) + fmt + chunk("data", pattern(100)));
    // The walk ends where the RIFF size says, before the data chunk.
    QTest::newRow("data beyond RIFF size") << riff(fmt + chunk("data", pattern(100)), quint32(fmt.size() - 4));
}

void TestAudioPlayer::play_rejectsUnplayableBytes()
{
    QFETCH(QByteArray, wav);
    QVERIFY(!AudioPlayer::play(wav));
    QCOMPARE(AudioPlayer::live_count(), 0);
    QVERIFY(m_log->entries().isEmpty());
}

void TestAudioPlayer::play_twoSoundsPlayAtOnce()
{
    QVERIFY(AudioPlayer::play(test_wav::wav(pattern(3 * kBlock, 1), kSlowRate)));
    QVERIFY(AudioPlayer::play(test_wav::wav(pattern(3 * kBlock, 2), kSlowRate)));
    QCOMPARE(AudioPlayer::live_count(), 2);

    QVERIFY(m_log->wait_for_count(Kind::Write, 6, 5000));
    const QList<OutputLog::Entry> opened = m_log->of(Kind::Open);
    QCOMPARE(opened.size(), 2);
    QVERIFY(opened[0].output != opened[1].output);
    QCOMPARE(m_log->written_bytes(opened[0].output), pattern(3 * kBlock, 1));
    QCOMPARE(m_log->written_bytes(opened[1].output), pattern(3 * kBlock, 2));
    // Both are queued on their outputs before either has finished a block.
    QVERIFY(m_log->of(Kind::Done).isEmpty());
}

void TestAudioPlayer::stopAll_cutsPlayingSoundAndAllowsNewOne()
{
    // Ten seconds of sound: 21 blocks at 16 kHz.
    QVERIFY(AudioPlayer::play(test_wav::wav(pattern(320000), 16000)));
    QVERIFY(m_log->wait_for_count(Kind::Write, AudioPlayer::kBlockCount, 5000));

    const auto asked = std::chrono::steady_clock::now();
    AudioPlayer::stop_all();
    QVERIFY(m_log->wait_for_count(Kind::Reset, 1, 5000));
    QVERIFY(AudioPlayer::wait_idle(5000));
    QCOMPARE(AudioPlayer::live_count(), 0);

    const QList<OutputLog::Entry> resets = m_log->of(Kind::Reset);
    QCOMPARE(resets.size(), 1);
    // Paused, then reset with the blocks still queued handed back; nothing played to the end.
    const int written = int(m_log->of(Kind::Write).size());
    const int played = int(m_log->of(Kind::Done).size());
    QVERIFY(played < written);
    QCOMPARE(int(resets[0].handed_back), written - played);
    QVERIFY(m_log->of(Kind::Pause).constFirst().at <= resets[0].at);
    qInfo("stop_all to output reset: %lld us",
          static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(resets[0].at - asked).count()));

    // A new sound starts right after the stop.
    m_log->clear();
    QVERIFY(AudioPlayer::play(test_wav::wav(pattern(1000), kFastRate)));
    QVERIFY(AudioPlayer::wait_idle(5000));
    QCOMPARE(m_log->written_bytes(), pattern(1000));
}

void TestAudioPlayer::stopAll_withNothingPlayingDoesNothing()
{
    QVERIFY(AudioPlayer::play(test_wav::wav(pattern(100), kFastRate)));
    QVERIFY(AudioPlayer::wait_idle(5000));
    m_log->clear();

    AudioPlayer::stop_all();
    QCOMPARE(AudioPlayer::live_count(), 0);
    QVERIFY(m_log->entries().isEmpty());
}

void TestAudioPlayer::play_withoutDeviceEndsAfterWatchdog()
{
    // One player finds no device, the other cannot open it; both run out the watchdog together.
    QElapsedTimer timer;
    timer.start();
    sound_output_null_set_device_count(0);
    QVERIFY(AudioPlayer::play(test_wav::wav(pattern(3 * kBlock), 16000)));
    sound_output_null_set_device_count(1);
    sound_output_null_set_open_fails(true);
    QVERIFY(AudioPlayer::play(test_wav::wav(pattern(30 * kBlock), 16000), true));
    QCOMPARE(AudioPlayer::live_count(), 2);

    QVERIFY(!AudioPlayer::wait_idle(AudioPlayer::kWatchdogMs - 500));
    QCOMPARE(AudioPlayer::live_count(), 2);
    QVERIFY(AudioPlayer::wait_idle(AudioPlayer::kWatchdogMs));
    QVERIFY(timer.elapsed() >= AudioPlayer::kWatchdogMs);
    QVERIFY(m_log->entries().isEmpty());
}

QTEST_GUILESS_MAIN(TestAudioPlayer)
#include "test_audio_player.moc"
