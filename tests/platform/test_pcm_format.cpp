// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/pcm_format.h"
#include "platform/sound_output.h"

#include <QTest>
#include <QtEndian>

class TestPcmFormat final : public QObject {
    Q_OBJECT

private slots:
    void forAudioFormat_takesTheTextsRate_data();
    void forAudioFormat_takesTheTextsRate();
    void formatBlock_describesTheFormat_data();
    void formatBlock_describesTheFormat();
};

void TestPcmFormat::forAudioFormat_takesTheTextsRate_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<quint32>("rate");
    QTest::newRow("8 kHz item") << QByteArray("audio/L16;rate=8000") << 8000u;
    QTest::newRow("16 kHz item") << QByteArray("audio/L16;rate=16000") << 16000u;
    QTest::newRow("more parameters after") << QByteArray("audio/L16;rate=8000;x=1") << 8000u;
    // No selection, or no usable rate: the engine's own default.
    QTest::newRow("no text") << QByteArray() << 16000u;
    QTest::newRow("rate not a number") << QByteArray("audio/L16;rate=fast") << 16000u;
    QTest::newRow("rate zero") << QByteArray("audio/L16;rate=0") << 16000u;
}

void TestPcmFormat::forAudioFormat_takesTheTextsRate()
{
    QFETCH(QByteArray, text);
    QFETCH(quint32, rate);
    const PcmFormat format = PcmFormat::for_audio_format(text);
    QCOMPARE(format, (PcmFormat{rate, 1, 16}));
    QCOMPARE(format.bytes_per_second(), rate * 2);
}

void TestPcmFormat::formatBlock_describesTheFormat_data()
{
    QTest::addColumn<quint32>("rate");
    QTest::addColumn<quint16>("channels");
    QTest::addColumn<quint16>("bits");
    QTest::newRow("engine's 16 kHz") << 16000u << quint16(1) << quint16(16);
    QTest::newRow("8 kHz") << 8000u << quint16(1) << quint16(16);
    QTest::newRow("stereo 8-bit") << 44100u << quint16(2) << quint16(8);
}

// The block is what a WAV file's "fmt " chunk holds and what the sound output opens with.
void TestPcmFormat::formatBlock_describesTheFormat()
{
    QFETCH(quint32, rate);
    QFETCH(quint16, channels);
    QFETCH(quint16, bits);
    const PcmFormat format{rate, channels, bits};
    const QByteArray block = format.format_block();
    QCOMPARE(block.size(), 16);
    const auto u16 = [&block](int at) { return qFromLittleEndian<quint16>(block.constData() + at); };
    const auto u32 = [&block](int at) { return qFromLittleEndian<quint32>(block.constData() + at); };
    QCOMPARE(u16(0), quint16(1)); // linear PCM
    QCOMPARE(u16(2), channels);
    QCOMPARE(u32(4), rate);
    QCOMPARE(u32(8), rate * channels * bits / 8);
    QCOMPARE(u16(12), quint16(channels * bits / 8));
    QCOMPARE(u16(14), bits);

    QCOMPARE(sound_output_select(SoundBackend::Null), SoundResult::Ok);
    SoundOutput *output = nullptr;
    const auto done = [](SoundOutput *, void *, SoundBlock *) {};
    QCOMPARE(sound_output_open(&output, block.constData(), static_cast<std::size_t>(block.size()), done, nullptr),
             SoundResult::Ok);
    QCOMPARE(sound_output_close(output), SoundResult::Ok);
}

QTEST_GUILESS_MAIN(TestPcmFormat)
#include "test_pcm_format.moc"
