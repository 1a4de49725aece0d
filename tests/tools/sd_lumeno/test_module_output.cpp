// SPDX-License-Identifier: GPL-3.0-or-later
#include "module_output.h"

#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

QByteArray read_all(int fd)
{
    QByteArray bytes;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, n);
    return bytes;
}

} // namespace

class TestModuleOutput final : public QObject {
    Q_OBJECT

private slots:
    void audioBlock_escapesLineFeedsAndTheEscapeByte();
    void gate_letsOnlyTheOpenUtterancesAudioThrough();
};

void TestModuleOutput::audioBlock_escapesLineFeedsAndTheEscapeByte()
{
    const QByteArray pcm("\x0a\x7d\x2a\x5d\x00\x0a", 6);
    const QByteArray block = ModuleOutput::audio_block(pcm + "\x01", PcmFormat{16000}); // an odd byte is dropped
    QCOMPARE(block, QByteArray("705-bits=16\n705-num_channels=1\n705-sample_rate=16000\n705-num_samples=3\n"
                               "705-big_endian=0\n705-AUDIO\0"
                               "\x7d\x2a\x7d\x5d\x2a\x5d\x00\x7d\x2a\n705 AUDIO\n",
                               118));
    // No line feed inside the samples: the block's lines are exactly its seven.
    QCOMPARE(block.count('\n'), 7);

    // The header tells the audio's own format; samples count whole frames.
    const QByteArray stereo = ModuleOutput::audio_block(QByteArray(11, '\x01'), PcmFormat{8000, 2, 16});
    QVERIFY(stereo.startsWith("705-bits=16\n705-num_channels=2\n705-sample_rate=8000\n705-num_samples=2\n"));
    QCOMPARE(stereo.count('\x01'), 8);
}

void TestModuleOutput::gate_letsOnlyTheOpenUtterancesAudioThrough()
{
    int fds[2];
    QCOMPARE(::pipe2(fds, O_NONBLOCK), 0);
    ModuleOutput output(fds[1]);
    const QByteArray pcm(3 * ModuleOutput::kMaxBlock, '\x11');
    const std::uint64_t first = output.open_audio();
    QVERIFY(output.audio(first, pcm, PcmFormat{16000}));
    QByteArray written = read_all(fds[0]);
    // Long audio goes in blocks a STOP can come between.
    QCOMPARE(written.count("705 AUDIO\n"), 3);
    output.close_audio();
    QVERIFY(!output.audio(first, pcm, PcmFormat{16000}));
    const std::uint64_t second = output.open_audio();
    QVERIFY(!output.audio(first, pcm, PcmFormat{16000})); // a stopped utterance stays stopped
    QVERIFY(output.say("702 END"));
    QVERIFY(output.audio(second, pcm.left(2), PcmFormat{16000}));
    written = read_all(fds[0]);
    QVERIFY(written.startsWith("702 END\n705-bits=16\n"));
    QCOMPARE(written.count("705 AUDIO\n"), 1);
    // The server gone: writing fails instead of ending the process.
    std::signal(SIGPIPE, SIG_IGN);
    ::close(fds[0]);
    QVERIFY(!output.say("701 BEGIN"));
    QVERIFY(output.broken());
    ::close(fds[1]);
}

QTEST_GUILESS_MAIN(TestModuleOutput)
#include "test_module_output.moc"
