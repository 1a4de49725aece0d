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
using test_wav::pattern;

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
    void play_opensTheOutputInTheAudiosFormat_data();
    void play_opensTheOutputInTheAudiosFormat();
    void play_refusesEmptyAudio();
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
    PcmAudio speech{PcmFormat{kFastRate}, audio};

    QVERIFY(AudioPlayer::play(speech));
    // The player works from its own copy.
    speech.bytes.fill('\0');

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
    QVERIFY(AudioPlayer::play(PcmAudio{PcmFormat{kSlowRate}, pattern(25 * kBlock)}));

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
    QVERIFY(AudioPlayer::play(PcmAudio{PcmFormat{kFastRate}, audio}, true));

    QVERIFY(m_log->wait_for_count(Kind::Write, 7, 5000));
    AudioPlayer::stop_all();
    QVERIFY(AudioPlayer::wait_idle(5000));
    const QByteArray played = m_log->written_bytes();
    QVERIFY(played.size() >= 3 * audio.size());
    QCOMPARE(played.left(3 * audio.size()), audio.repeated(3));
    QCOMPARE(m_log->written_sizes().mid(0, 6),
             (QList<qsizetype>{kBlock, kBlock / 2, kBlock, kBlock / 2, kBlock, kBlock / 2}));
}

void TestAudioPlayer::play_opensTheOutputInTheAudiosFormat_data()
{
    QTest::addColumn<quint32>("rate");
    QTest::addColumn<quint16>("channels");
    QTest::addColumn<quint16>("bits");
    QTest::newRow("engine's 16 kHz") << 16000u << quint16(1) << quint16(16);
    QTest::newRow("8 kHz") << 8000u << quint16(1) << quint16(16);
    QTest::newRow("stereo 8-bit") << 22050u << quint16(2) << quint16(8);
}

void TestAudioPlayer::play_opensTheOutputInTheAudiosFormat()
{
    QFETCH(quint32, rate);
    QFETCH(quint16, channels);
    QFETCH(quint16, bits);
    const PcmFormat format{rate, channels, bits};
    QVERIFY(AudioPlayer::play(PcmAudio{format, pattern(100)}));
    QVERIFY(AudioPlayer::wait_idle(5000));
    QCOMPARE(m_log->of(Kind::Open).size(), 1);
    const SoundFormat opened = m_log->of(Kind::Open).constFirst().format;
    QCOMPARE(opened.rate, rate);
    QCOMPARE(opened.channels, unsigned{channels});
    QCOMPARE(opened.frame_bytes, unsigned{format.frame_bytes()});
}

void TestAudioPlayer::play_refusesEmptyAudio()
{
    QVERIFY(!AudioPlayer::play(PcmAudio{PcmFormat{}, QByteArray()}));
    QCOMPARE(AudioPlayer::live_count(), 0);
    QVERIFY(m_log->entries().isEmpty());
}

void TestAudioPlayer::play_twoSoundsPlayAtOnce()
{
    QVERIFY(AudioPlayer::play(PcmAudio{PcmFormat{kSlowRate}, pattern(3 * kBlock, 1)}));
    QVERIFY(AudioPlayer::play(PcmAudio{PcmFormat{kSlowRate}, pattern(3 * kBlock, 2)}));
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
    QVERIFY(AudioPlayer::play(PcmAudio{PcmFormat{16000}, pattern(320000)}));
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
    QVERIFY(AudioPlayer::play(PcmAudio{PcmFormat{kFastRate}, pattern(1000)}));
    QVERIFY(AudioPlayer::wait_idle(5000));
    QCOMPARE(m_log->written_bytes(), pattern(1000));
}

void TestAudioPlayer::stopAll_withNothingPlayingDoesNothing()
{
    QVERIFY(AudioPlayer::play(PcmAudio{PcmFormat{kFastRate}, pattern(100)}));
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
    QVERIFY(AudioPlayer::play(PcmAudio{PcmFormat{16000}, pattern(3 * kBlock)}));
    sound_output_null_set_device_count(1);
    sound_output_null_set_open_fails(true);
    QVERIFY(AudioPlayer::play(PcmAudio{PcmFormat{16000}, pattern(30 * kBlock)}, true));
    QCOMPARE(AudioPlayer::live_count(), 2);

    QVERIFY(!AudioPlayer::wait_idle(AudioPlayer::kWatchdogMs - 500));
    QCOMPARE(AudioPlayer::live_count(), 2);
    QVERIFY(AudioPlayer::wait_idle(AudioPlayer::kWatchdogMs));
    QVERIFY(timer.elapsed() >= AudioPlayer::kWatchdogMs);
    QVERIFY(m_log->entries().isEmpty());
}

QTEST_GUILESS_MAIN(TestAudioPlayer)
#include "test_audio_player.moc"
