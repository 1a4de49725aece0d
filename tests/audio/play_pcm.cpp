// SPDX-License-Identifier: GPL-3.0-or-later
// Plays 16-bit mono little-endian PCM through the sound output like the program does, for the
// sound round trip.
//   play_pcm FILE RATE [--stop-after MS]
// Exit codes: 0 played (or stopped), 1 usage or unreadable file, 2 nothing to play,
// 3 no sound device, 4 did not end in time.

#include "audio/audio_player.h"
#include "platform/sound_output.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <cstdio>
#include <thread>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const uint rate = args.value(2).toUInt();
    if (rate == 0 || !(args.size() == 3 || (args.size() == 5 && args[3] == QStringLiteral("--stop-after")))) {
        std::fprintf(stderr, "usage: play_pcm FILE RATE [--stop-after MS]\n");
        return 1;
    }
    QFile file(args[1]);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    const PcmAudio sound{PcmFormat{rate}, file.readAll()};

    unsigned devices = 0;
    if (sound_output_device_count(&devices) != SoundResult::Ok || devices == 0) {
        std::fprintf(stderr, "no sound device\n");
        return 3;
    }
    QElapsedTimer timer;
    timer.start();
    if (!AudioPlayer::play(sound))
        return 2;
    if (args.size() == 5) {
        std::this_thread::sleep_for(std::chrono::milliseconds(args[4].toInt()));
        AudioPlayer::stop_all();
    }
    const bool ended = AudioPlayer::wait_idle(60000);
    std::printf("played for %lld ms\n", static_cast<long long>(timer.elapsed()));
    return ended ? 0 : 4;
}
