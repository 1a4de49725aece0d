// SPDX-License-Identifier: GPL-3.0-or-later
// lumeno-say at book scale, measured side by side with espeak-ng's own command line:
//   wav:   a long Chinese text to WAV (raw encoding, 16 kHz), wall time and peak memory,
//          against `espeak-ng -v cmn-latn-pinyin -f text --stdout > file`
//   mp3:   the same text to MP3
//   first: --play with the null sound output, start to the first block handed to the output
// Goals: wav <= 0.6 x espeak-ng on 2 cores; peak memory <= 64 MB whatever the length;
// mp3 <= 1.3 x wav; first block <= 100 ms.
//   book_say_bench [CHARACTERS]   (default 100000; run from the build tree)

#include "audio/wav_file.h"
#include "engine/tts_engine.h"
#include "say/batch_worker.h"
#include "say/book_job.h"
#include "say/play_stream.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Varied everyday sentences, with numbers that change so no two pieces are alike.
QString chinese_text(int characters)
{
    static const char16_t *sentences[] = {u"春天来了，河边的柳树发芽了。",
                                          u"孩子们在草地上放风筝，笑声传得很远！",
                                          u"今天的天气怎么样？",
                                          u"我们明天一起去图书馆看书；",
                                          u"这座城市有很多古老的建筑和安静的小巷。",
                                          u"他每天早上六点起床，先跑步再吃早饭。",
                                          u"秋天的果园里，苹果和梨都成熟了。",
                                          u"老师说，读书要用心，不能只看热闹。"};
    QString text;
    for (int i = 0; text.size() < characters; ++i) {
        text += QString::fromUtf16(sentences[i % 8]);
        if (i % 5 == 4)
            text += QStringLiteral("第%1章结束。\n").arg(i / 5 + 1);
    }
    return text.left(characters);
}

struct Run {
    double seconds = 0;
    long rss_kb = 0;       // the process itself
    long child_rss_kb = 0; // its largest descendant
};

Run run(const QStringList &command, const QString &stdout_file = {})
{
    std::fflush(stdout);
    QElapsedTimer clock;
    clock.start();
    const pid_t pid = fork();
    if (pid == 0) {
        if (!stdout_file.isEmpty()) {
            FILE *out = std::freopen(QFile::encodeName(stdout_file).constData(), "wb", stdout);
            if (out == nullptr)
                _exit(127);
        }
        QList<QByteArray> storage;
        for (const QString &s : command)
            storage.append(s.toLocal8Bit());
        std::vector<char *> argv;
        for (QByteArray &s : storage)
            argv.push_back(s.data());
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    Run r;
    r.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    r.rss_kb = usage.ru_maxrss;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::fprintf(stderr, "%s failed (status %d)\n", qPrintable(command.first()), status);
    return r;
}

double first_block_ms(const QString &tool, const QString &text_file)
{
    const QByteArray params = "ssm=1,vcn=xiaoyan,spd=medium,vol=medium,ttp=text,tte=GBK,bgs=0,aue=raw,"
                              "auf=audio/L16;rate=16000,rdn=0";
    const auto start = std::chrono::steady_clock::now();
    double ms = -1;
    PlayStream player(PcmFormat{}, [] { return false; });
    player.on_first_block = [&] {
        ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    };
    const QString engine = QFileInfo(tool).dir().filePath(QString::fromLatin1(kEngineLibrary));
    BookJob job({text_file, {}, false}, {tool, batch_worker_arguments(engine, params), 2}, 2048, PcmFormat{16000});
    if (!player.open())
        return -1;
    // Stops the job at the first block: the rest would play in real time.
    struct FirstOnly final : AudioSink {
        PlayStream &player;
        explicit FirstOnly(PlayStream &p)
            : player(p)
        {
        }
        bool write(QByteArrayView pcm) override { return player.write(pcm) && false; }
        bool finish() override { return true; }
    } first(player);
    job.run(first, {});
    return ms;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    qputenv("LUMENO_SOUND", "null");
    const int characters = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir dir;
    // The tool with its engine beside it, as a user has it.
    const QString tool = dir.filePath(QStringLiteral("lumeno-say"));
    for (const char *built : {LUMENO_SAY_FILE, ENGINE_FILE, CODEC_FILE}) {
        const QString from = QString::fromLocal8Bit(built);
        if (!QFile::copy(from, dir.filePath(QFileInfo(from).fileName())))
            return 1;
    }
    QFile::setPermissions(tool, QFile::permissions(tool) | QFileDevice::ExeOwner);
    qputenv("LUMENO_LIBRARY_DIR", dir.filePath(QStringLiteral("no-system-folder")).toLocal8Bit());
    const QString text = dir.filePath(QStringLiteral("book.txt"));
    QFile file(text);
    if (!file.open(QIODevice::WriteOnly) || file.write(chinese_text(characters).toUtf8()) < 0)
        return 1;
    file.close();
    std::printf("text: %d characters (%lld bytes UTF-8), 2 workers\n", characters,
                static_cast<long long>(QFileInfo(text).size()));

    const Run espeak = run({QStringLiteral("espeak-ng"), QStringLiteral("-v"), QStringLiteral("cmn-latn-pinyin"),
                            QStringLiteral("-f"), text, QStringLiteral("--stdout")},
                           dir.filePath(QStringLiteral("espeak.wav")));
    const Run wav = run({tool, QStringLiteral("-q"), QStringLiteral("--audio-encoding"), QStringLiteral("raw"),
                         QStringLiteral("-f"), text, QStringLiteral("-o"), dir.filePath(QStringLiteral("book.wav"))});
    const Run mp3 = run({tool, QStringLiteral("-q"), QStringLiteral("--audio-encoding"), QStringLiteral("raw"),
                         QStringLiteral("-f"), text, QStringLiteral("-o"), dir.filePath(QStringLiteral("book.mp3"))});
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    const qint64 wav_bytes = QFileInfo(dir.filePath(QStringLiteral("book.wav"))).size();
    const double audio_s = static_cast<double>(wav_bytes - WavFile::kHeaderSize) / PcmFormat{16000}.bytes_per_second();

    std::printf("%-28s %9s %9s\n", "", "wall s", "peak MB");
    std::printf("%-28s %9.2f %9.1f\n", "espeak-ng --stdout > file", espeak.seconds, espeak.rss_kb / 1024.0);
    std::printf("%-28s %9.2f %9.1f   (%.2f x espeak-ng; goal <= 0.6)\n", "lumeno-say -o book.wav", wav.seconds,
                wav.rss_kb / 1024.0, wav.seconds / espeak.seconds);
    std::printf("%-28s %9.2f %9.1f   (%.2f x WAV; goal <= 1.3)\n", "lumeno-say -o book.mp3", mp3.seconds,
                mp3.rss_kb / 1024.0, mp3.seconds / wav.seconds);
    std::printf("largest process of all runs (workers included): %.1f MB\n", children.ru_maxrss / 1024.0);
    std::printf("speech: %.0f s (%.2f h)\n", audio_s, audio_s / 3600);
    std::printf("--play, first block to the sound output: %.1f ms (goal <= 100)\n", first_block_ms(tool, text));
    return 0;
}
