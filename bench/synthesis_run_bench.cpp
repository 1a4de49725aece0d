// SPDX-License-Identifier: GPL-3.0-or-later
// The synthesis run against the engine driven directly, in one process:
//  1. time from the click to the sound starting, for the designed sentence and for a
//     2048-byte Chinese text, against the six engine functions called in a plain loop;
//  2. the process's CPU time during a run against the same work done directly (busy waiting
//     would show here), and the longest stretch in which the window handled no event;
//  3. resident memory before and after many runs.
//
//   QT_QPA_PLATFORM=offscreen LUMENO_SOUND=null synthesis_run_bench [runs-for-memory=1000]
#include "app/main_window.h"
#include "app/run/synthesis_run.h"
#include "engine/blocking_synthesis.h"
#include "engine/carried_images.h"
#include "engine/session_params.h"
#include "engine/tts_engine.h"
#include "platform/gbk.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

double cpu_seconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

long resident_kib()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * 4 : 0;
}

QString chinese_text(int bytes)
{
    const QString sentence = QStringLiteral("今天天气很好，我们一起去公园散步，看看湖边的风景。");
    QString text;
    while (gbk::encode(text + sentence).size() <= bytes)
        text += sentence;
    while (gbk::encode(text + u'好').size() <= bytes)
        text += u'好';
    return text;
}

struct Sample {
    double wall_ms = 0;
    double cpu_ms = 0;
    double longest_gap_ms = 0;
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The six functions in a plain loop that sleeps briefly when no audio is ready.
Sample direct(TtsEngine &engine, const QByteArray &params, const QByteArray &text)
{
    QElapsedTimer timer;
    timer.start();
    const double cpu = cpu_seconds();
    const BlockingResult r = synthesize_blocking(engine, params, text, 15000);
    Sample s;
    s.wall_ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    s.cpu_ms = (cpu_seconds() - cpu) * 1000;
    if (r.error != 0)
        std::fprintf(stderr, "direct synthesis failed: %d\n", r.error);
    return s;
}

// A click on "开始合成"; the run returns right after it has started playing.
Sample through_window(MainWindow &window)
{
    QElapsedTimer gap;
    double longest = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, static_cast<double>(gap.nsecsElapsed()) / 1e6);
        gap.restart();
    });
    gap.start();
    tick.start();
    QElapsedTimer timer;
    timer.start();
    const double cpu = cpu_seconds();
    window.controls().start->click();
    Sample s;
    s.wall_ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    s.cpu_ms = (cpu_seconds() - cpu) * 1000;
    s.longest_gap_ms = longest;
    return s;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int memory_runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    QTemporaryDir dir;
    TtsEngine engine(carried_engine_images(), {dir.filePath(QStringLiteral("system")), dir.path(), {}});
    MainWindow window(engine, dir.filePath(QStringLiteral("config.ini")));
    window.on_created();
    const QByteArray params = "ssm=1,vcn=xiaoyan,spd=medium,vol=medium,ttp=text,tte=GB2312,bgs=0,aue=speex;7,"
                              "auf=audio/L16;rate=16000,rdn=0";

    const struct {
        const char *name;
        QString text;
    } texts[] = {{"designed sentence", QStringLiteral("请在这里输入要合成的文本")},
                 {"2048-byte Chinese text", chinese_text(2048)}};
    constexpr int kRounds = 5;
    for (const auto &t : texts) {
        window.controls().text->setPlainText(t.text);
        const QByteArray bytes = gbk::encode(t.text);
        direct(engine, params, bytes); // warm-up: voice data in the page cache
        std::vector<double> d_wall, d_cpu, w_wall, w_cpu, gaps;
        for (int i = 0; i < kRounds; ++i) {
            const Sample d = direct(engine, params, bytes);
            const Sample w = through_window(window);
            d_wall.push_back(d.wall_ms);
            d_cpu.push_back(d.cpu_ms);
            w_wall.push_back(w.wall_ms);
            w_cpu.push_back(w.cpu_ms);
            gaps.push_back(w.longest_gap_ms);
        }
        std::printf("%s (%lld bytes), median of %d:\n", t.name, static_cast<long long>(bytes.size()), kRounds);
        std::printf("  click to play: %8.1f ms   engine directly: %8.1f ms   ratio %.3f\n", median(w_wall),
                    median(d_wall), median(w_wall) / median(d_wall));
        std::printf("  CPU time:      %8.1f ms   engine directly: %8.1f ms   ratio %.3f\n", median(w_cpu),
                    median(d_cpu), median(w_cpu) / median(d_cpu));
        std::printf("  longest gap between handled events: %.1f ms (worst %.1f)\n", median(gaps),
                    *std::max_element(gaps.begin(), gaps.end()));
    }

    window.controls().text->setPlainText(QStringLiteral("请在这里输入要合成的文本"));
    for (int i = 0; i < 20; ++i)
        window.controls().start->click();
    const long before = resident_kib();
    for (int i = 0; i < memory_runs; ++i)
        window.controls().start->click();
    const long after = resident_kib();
    std::printf("resident memory after 20 runs: %ld KiB; after %d more: %ld KiB; growth %ld KiB\n", before, memory_runs,
                after, after - before);
    window.on_close_query();
    return 0;
}
