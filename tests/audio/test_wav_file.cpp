// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/wav_file.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

QByteArray audio_of(int length)
{
    QByteArray audio(length, Qt::Uninitialized);
    for (int i = 0; i < length; ++i)
        audio[i] = static_cast<char>((i * 37 + 11) & 0xFF);
    return audio;
}

quint32 u32_at(const QByteArray &bytes, int offset)
{
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

quint16 u16_at(const QByteArray &bytes, int offset)
{
    return qFromLittleEndian<quint16>(bytes.constData() + offset);
}

} // namespace

class TestWavFile final : public QObject {
    Q_OBJECT

private slots:
    void wrap_writesFixedHeaderBeforeAudio_data();
    void wrap_writesFixedHeaderBeforeAudio();
    void wrap_readBackByIndependentReader_data() { wrap_writesFixedHeaderBeforeAudio_data(); }
    void wrap_readBackByIndependentReader();
};

void TestWavFile::wrap_writesFixedHeaderBeforeAudio_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<quint32>("rate");
    QTest::addColumn<int>("fileSize");
    QTest::addColumn<quint32>("riffSize");
    QTest::addColumn<quint32>("byteRate");
    QTest::newRow("empty") << 0 << 16000u << 44 << 36u << 32000u;
    QTest::newRow("1000 bytes at 8000") << 1000 << 8000u << 1044 << 1036u << 16000u;
    // Same audio, other rate: only the rate and the byte rate differ, every field is checked.
    QTest::newRow("1000 bytes at 16000") << 1000 << 16000u << 1044 << 1036u << 32000u;
    QTest::newRow("odd length, no pad byte") << 1001 << 8000u << 1045 << 1037u << 16000u;
    QTest::newRow("one byte") << 1 << 16000u << 45 << 37u << 32000u;
}

void TestWavFile::wrap_writesFixedHeaderBeforeAudio()
{
    QFETCH(int, length);
    QFETCH(quint32, rate);
    QFETCH(int, fileSize);
    QFETCH(quint32, riffSize);
    QFETCH(quint32, byteRate);
    const QByteArray audio = audio_of(length);
    const QByteArray wav = WavFile::wrap(PcmAudio{PcmFormat{rate}, audio});

    QCOMPARE(wav.size(), fileSize);
    QCOMPARE(wav.first(4), QByteArray("RIFF"));
    QCOMPARE(u32_at(wav, 4), riffSize);
    QCOMPARE(wav.mid(8, 8), QByteArray("WAVEfmt "));
    QCOMPARE(u32_at(wav, 16), 16u);
    QCOMPARE(u16_at(wav, 20), quint16(1));
    QCOMPARE(u16_at(wav, 22), quint16(1));
    QCOMPARE(u32_at(wav, 24), rate);
    QCOMPARE(u32_at(wav, 28), byteRate);
    QCOMPARE(u16_at(wav, 32), quint16(2));
    QCOMPARE(u16_at(wav, 34), quint16(16));
    QCOMPARE(wav.mid(36, 4), QByteArray("data"));
    QCOMPARE(u32_at(wav, 40), quint32(length));
    QCOMPARE(wav.mid(44), audio);
}

void TestWavFile::wrap_readBackByIndependentReader()
{
    QFETCH(int, length);
    QFETCH(quint32, rate);
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    QVERIFY2(!python.isEmpty(), "python3 reads the files back (scripts/install_deps.sh installs it)");

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("voice.wav"));
    const QByteArray audio = audio_of(length);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(WavFile::wrap(PcmAudio{PcmFormat{rate}, audio})), qint64(length + WavFile::kHeaderSize));
    file.close();

    const QString reader = QStringLiteral(
        "import sys, wave\n"
        "with wave.open(sys.argv[1], 'rb') as w:\n"
        "    print(w.getnchannels(), w.getsampwidth(), w.getframerate(), w.getnframes(), w.getcomptype())\n"
        "    print(w.readframes(w.getnframes()).hex())\n");
    QProcess process;
    process.start(python, {QStringLiteral("-c"), reader, path});
    QVERIFY(process.waitForFinished(30000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());

    const QList<QByteArray> lines = process.readAllStandardOutput().split('\n');
    QVERIFY(lines.size() >= 2);
    QCOMPARE(lines.at(0),
             QByteArray("1 2 ") + QByteArray::number(rate) + ' ' + QByteArray::number(length / 2) + " NONE");
    // A trailing odd byte is no whole frame; the frames are the audio as given.
    QCOMPARE(lines.at(1), audio.first(length - length % 2).toHex());
}

QTEST_GUILESS_MAIN(TestWavFile)
#include "test_wav_file.moc"
