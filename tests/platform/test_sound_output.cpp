// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sound_output.h"
#include "platform/sound_output_null.h"

#include <QByteArray>
#include <QList>
#include <QTest>
#include <QtEndian>
#include <chrono>
#include <condition_variable>
#include <mutex>

Q_DECLARE_METATYPE(SoundBackend)
Q_DECLARE_METATYPE(SoundResult)

namespace {

using Clock = std::chrono::steady_clock;

QByteArray format_block(quint16 tag, quint16 channels, quint32 rate, quint16 bits, qsizetype size = 16)
{
    QByteArray out(std::max<qsizetype>(size, 16), '\0');
    const quint16 align = static_cast<quint16>(channels * bits / 8);
    qToLittleEndian<quint16>(tag, out.data());
    qToLittleEndian<quint16>(channels, out.data() + 2);
    qToLittleEndian<quint32>(rate, out.data() + 4);
    qToLittleEndian<quint32>(rate * align, out.data() + 8);
    qToLittleEndian<quint16>(align, out.data() + 12);
    qToLittleEndian<quint16>(bits, out.data() + 14);
    return out.left(size);
}

// 8 kHz 16-bit mono: 16 bytes per millisecond.
const QByteArray kFormat = format_block(1, 1, 8000, 16);

QByteArray silence_ms(int ms)
{
    return QByteArray(16 * ms, '\0');
}

// Collects the blocks an output hands back.
struct Returns {
    std::mutex mutex;
    std::condition_variable changed;
    QList<SoundBlock *> blocks;
    QList<Clock::time_point> times;

    static void on_done(SoundOutput *, void *instance, SoundBlock *block)
    {
        auto *self = static_cast<Returns *>(instance);
        {
            std::lock_guard lock(self->mutex);
            self->blocks.append(block);
            self->times.append(Clock::now());
        }
        self->changed.notify_all();
    }

    bool wait_for(qsizetype count, int timeout_ms)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] { return blocks.size() >= count; });
    }

    QList<SoundBlock *> taken()
    {
        std::lock_guard lock(mutex);
        return blocks;
    }
};

} // namespace

class TestSoundOutput final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void backend_environmentOverridesSelection();
    void open_rejectsUnplayableFormat_data();
    void open_rejectsUnplayableFormat();
    void open_acceptsPcmAndFloat_data();
    void open_acceptsPcmAndFloat();
    void open_failsWithoutDevice();
    void write_blocksComeBackInOrderAfterTheirPlayingTime();
    void reset_handsBackEveryQueuedBlockBeforeReturning();
    void pause_holdsQueuedBlocksUntilReset();
    void close_handsBackQueuedBlocks();
    void alsa_deviceCountAgreesWithOpen();
};

void TestSoundOutput::initTestCase()
{
    qunsetenv("LUMENO_SOUND");
}

void TestSoundOutput::init()
{
    sound_output_select(SoundBackend::Null);
    sound_output_null_set_device_count(1);
    sound_output_null_set_open_fails(false);
}

void TestSoundOutput::backend_environmentOverridesSelection()
{
    QCOMPARE(sound_output_backend(), SoundBackend::Null);
    qputenv("LUMENO_SOUND", "alsa");
    QCOMPARE(sound_output_backend(), SoundBackend::Alsa);
    sound_output_select(SoundBackend::Null);
    QCOMPARE(sound_output_backend(), SoundBackend::Alsa);
    qputenv("LUMENO_SOUND", "loud");
    QCOMPARE(sound_output_backend(), SoundBackend::Null);
    qputenv("LUMENO_SOUND", "null");
    sound_output_select(SoundBackend::Alsa);
    QCOMPARE(sound_output_backend(), SoundBackend::Null);
    qunsetenv("LUMENO_SOUND");
    QCOMPARE(sound_output_backend(), SoundBackend::Alsa);
    QCOMPARE(sound_output_select(static_cast<SoundBackend>(7)), SoundResult::InvalidArgument);
    QCOMPARE(sound_output_backend(), SoundBackend::Alsa);
}

void TestSoundOutput::open_rejectsUnplayableFormat_data()
{
    QTest::addColumn<SoundBackend>("backend");
    QTest::addColumn<QByteArray>("format");

    const QList<std::pair<const char *, QByteArray>> formats = {
        {"15 bytes", kFormat.left(15)},
        {"ADPCM", format_block(2, 1, 8000, 4)},
        {"12 bits", format_block(1, 1, 8000, 12)},
        {"no channels", format_block(1, 0, 8000, 16)},
        {"rate 0", format_block(1, 1, 0, 16)},
        {"64-bit float", format_block(3, 1, 8000, 64)},
        {"16-bit float", format_block(3, 1, 8000, 16)},
        {"extensible, 16 bytes", format_block(0xFFFE, 1, 8000, 16)},
        {"wrong block align", format_block(1, 2, 8000, 16).left(12) + QByteArray("\x02\x00\x10\x00", 4)},
    };
    for (const auto &[name, format] : formats) {
        QTest::addRow("null, %s", name) << SoundBackend::Null << format;
        // The format is checked before any device is looked for.
        QTest::addRow("alsa, %s", name) << SoundBackend::Alsa << format;
    }
}

void TestSoundOutput::open_rejectsUnplayableFormat()
{
    QFETCH(SoundBackend, backend);
    QFETCH(QByteArray, format);
    sound_output_select(backend);
    Returns returns;
    auto *output = reinterpret_cast<SoundOutput *>(&returns);
    QCOMPARE(sound_output_open(&output, format.constData(), format.size(), &Returns::on_done, &returns),
             SoundResult::BadFormat);
    QCOMPARE(output, nullptr);
}

void TestSoundOutput::open_acceptsPcmAndFloat_data()
{
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("8-bit") << format_block(1, 1, 22050, 8);
    QTest::newRow("16-bit stereo") << format_block(1, 2, 44100, 16);
    QTest::newRow("24-bit") << format_block(1, 1, 48000, 24);
    QTest::newRow("32-bit") << format_block(1, 1, 48000, 32);
    QTest::newRow("32-bit float") << format_block(3, 1, 48000, 32);
    QByteArray extensible = format_block(0xFFFE, 2, 48000, 16, 40);
    qToLittleEndian<quint16>(1, extensible.data() + 24);
    QTest::newRow("extensible PCM") << extensible;
    QTest::newRow("with cbSize") << format_block(1, 1, 16000, 16, 18);
}

void TestSoundOutput::open_acceptsPcmAndFloat()
{
    QFETCH(QByteArray, format);
    Returns returns;
    SoundOutput *output = nullptr;
    QCOMPARE(sound_output_open(&output, format.constData(), format.size(), &Returns::on_done, &returns),
             SoundResult::Ok);
    QVERIFY(output != nullptr);
    QCOMPARE(sound_output_close(output), SoundResult::Ok);
}

void TestSoundOutput::open_failsWithoutDevice()
{
    Returns returns;
    unsigned count = 99;
    SoundOutput *output = nullptr;

    sound_output_null_set_device_count(0);
    QCOMPARE(sound_output_device_count(&count), SoundResult::Ok);
    QCOMPARE(count, 0u);
    QCOMPARE(sound_output_open(&output, kFormat.constData(), kFormat.size(), &Returns::on_done, &returns),
             SoundResult::NoDevice);
    QCOMPARE(output, nullptr);

    sound_output_null_set_device_count(1);
    sound_output_null_set_open_fails(true);
    QCOMPARE(sound_output_device_count(&count), SoundResult::Ok);
    QCOMPARE(count, 1u);
    QCOMPARE(sound_output_open(&output, kFormat.constData(), kFormat.size(), &Returns::on_done, &returns),
             SoundResult::NoDevice);
    QCOMPARE(output, nullptr);
}

void TestSoundOutput::write_blocksComeBackInOrderAfterTheirPlayingTime()
{
    Returns returns;
    SoundOutput *output = nullptr;
    QCOMPARE(sound_output_open(&output, kFormat.constData(), kFormat.size(), &Returns::on_done, &returns),
             SoundResult::Ok);
    const QByteArray bytes = silence_ms(60);
    // The last block has half a frame more; that byte is not played and takes no time.
    SoundBlock blocks[3] = {{bytes.constData(), 16 * 60, nullptr},
                            {bytes.constData(), 16 * 30, nullptr},
                            {bytes.constData(), 16 * 50 + 1, nullptr}};
    const auto written = Clock::now();
    for (SoundBlock &block : blocks)
        QCOMPARE(sound_output_write(output, &block), SoundResult::Ok);

    QVERIFY(returns.wait_for(3, 5000));
    QCOMPARE(returns.taken(), (QList<SoundBlock *>{&blocks[0], &blocks[1], &blocks[2]}));
    // Played back to back: each comes back no earlier than the playing time of all before it.
    const int ends_ms[] = {60, 90, 140};
    for (int i = 0; i < 3; ++i)
        QVERIFY(returns.times[i] - written >= std::chrono::milliseconds(ends_ms[i]));
    QCOMPARE(sound_output_close(output), SoundResult::Ok);
}

void TestSoundOutput::reset_handsBackEveryQueuedBlockBeforeReturning()
{
    Returns returns;
    SoundOutput *output = nullptr;
    QCOMPARE(sound_output_open(&output, kFormat.constData(), kFormat.size(), &Returns::on_done, &returns),
             SoundResult::Ok);
    const QByteArray bytes = silence_ms(1000);
    SoundBlock blocks[5];
    for (SoundBlock &block : blocks) {
        block = {bytes.constData(), static_cast<std::uint32_t>(bytes.size()), nullptr};
        QCOMPARE(sound_output_write(output, &block), SoundResult::Ok);
    }
    QCOMPARE(sound_output_reset(output), SoundResult::Ok);
    QCOMPARE(returns.taken(), (QList<SoundBlock *>{&blocks[0], &blocks[1], &blocks[2], &blocks[3], &blocks[4]}));

    // The output plays again after a reset.
    SoundBlock again{bytes.constData(), 16 * 10, nullptr};
    QCOMPARE(sound_output_write(output, &again), SoundResult::Ok);
    QVERIFY(returns.wait_for(6, 5000));
    QCOMPARE(returns.taken().constLast(), &again);
    QCOMPARE(sound_output_close(output), SoundResult::Ok);
}

void TestSoundOutput::pause_holdsQueuedBlocksUntilReset()
{
    Returns returns;
    SoundOutput *output = nullptr;
    QCOMPARE(sound_output_open(&output, kFormat.constData(), kFormat.size(), &Returns::on_done, &returns),
             SoundResult::Ok);
    const QByteArray bytes = silence_ms(20);
    SoundBlock block{bytes.constData(), static_cast<std::uint32_t>(bytes.size()), nullptr};
    QCOMPARE(sound_output_pause(output), SoundResult::Ok);
    QCOMPARE(sound_output_write(output, &block), SoundResult::Ok);
    QVERIFY(!returns.wait_for(1, 150));
    QCOMPARE(sound_output_reset(output), SoundResult::Ok);
    QCOMPARE(returns.taken(), QList<SoundBlock *>{&block});
    QCOMPARE(sound_output_close(output), SoundResult::Ok);
}

void TestSoundOutput::close_handsBackQueuedBlocks()
{
    Returns returns;
    SoundOutput *output = nullptr;
    QCOMPARE(sound_output_open(&output, kFormat.constData(), kFormat.size(), &Returns::on_done, &returns),
             SoundResult::Ok);
    const QByteArray bytes = silence_ms(1000);
    SoundBlock blocks[3];
    for (SoundBlock &block : blocks) {
        block = {bytes.constData(), static_cast<std::uint32_t>(bytes.size()), nullptr};
        QCOMPARE(sound_output_write(output, &block), SoundResult::Ok);
    }
    QCOMPARE(sound_output_close(output), SoundResult::Ok);
    QCOMPARE(returns.taken(), (QList<SoundBlock *>{&blocks[0], &blocks[1], &blocks[2]}));
}

void TestSoundOutput::alsa_deviceCountAgreesWithOpen()
{
    sound_output_select(SoundBackend::Alsa);
    unsigned count = 99;
    QCOMPARE(sound_output_device_count(&count), SoundResult::Ok);
    QVERIFY(count <= 1);
    Returns returns;
    SoundOutput *output = nullptr;
    const SoundResult opened =
        sound_output_open(&output, kFormat.constData(), kFormat.size(), &Returns::on_done, &returns);
    if (count == 0) {
        // No device: a clean failure, no handle.
        QCOMPARE(opened, SoundResult::NoDevice);
        QCOMPARE(output, nullptr);
        return;
    }
    QCOMPARE(opened, SoundResult::Ok);
    const QByteArray bytes = silence_ms(50);
    SoundBlock block{bytes.constData(), static_cast<std::uint32_t>(bytes.size()), nullptr};
    QCOMPARE(sound_output_write(output, &block), SoundResult::Ok);
    QVERIFY(returns.wait_for(1, 5000));
    QCOMPARE(sound_output_close(output), SoundResult::Ok);
}

QTEST_GUILESS_MAIN(TestSoundOutput)
#include "test_sound_output.moc"
