// SPDX-License-Identifier: GPL-3.0-or-later
// Time from process start to the main window on screen, against a bare window with the same
// widgets, in one run. Each sample is a fresh process; the parent starts the children in
// turn, and each child reports the moment its window was exposed on the system-wide steady
// clock, so what the process does after that (finalising, unloading libraries) is not counted.
//
//   startup_time [runs]        (needs a display: run under xvfb-run, or QT_QPA_PLATFORM=offscreen)
#include "app/main_window.h"
#include "engine/carried_images.h"
#include "engine/tts_engine.h"
#include "skin/carried_skin.h"
#include "skin/skin_loader.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

// Waits until the window is exposed, then ends the process.
int show_and_quit(QWidget &window)
{
    window.show();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (window.windowHandle() != nullptr && window.windowHandle()->isExposed()) {
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            std::printf("%lld\n", static_cast<long long>(std::chrono::nanoseconds(now).count()));
            std::fflush(stdout);
            QCoreApplication::exit(0);
        }
    });
    poll.start(0);
    return QApplication::exec();
}

int child(const QString &mode, const QString &folder)
{
    int argc = 1;
    char name[] = "startup_time";
    char *argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QDir::setCurrent(folder);
    // Both library folders are the sample's own, so every start deploys as on a fresh machine.
    TtsEngine engine(carried_engine_images(), {folder + QStringLiteral("/system"), folder, {}});
    MainWindow window(engine, folder + QStringLiteral("/config.ini"));
    const SkinImages skin_images = carried_skin_images();
    SkinLoader skin(skin_images.library, folder + QStringLiteral("/system"), folder);
    window.set_skin_attach([&skin, &skin_images] { skin.attach(skin_images.skin, {}, 0, 0, 0); });
    if (mode == QLatin1String("full"))
        window.on_created();
    const int rc = show_and_quit(window);
    if (mode == QLatin1String("full"))
        engine.finalise();
    return rc;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 4 && QByteArray(argv[1]) == "--child")
        return child(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));

    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    QCoreApplication app(argc, argv);
    std::vector<double> full;
    std::vector<double> later;
    std::vector<double> bare;
    for (int i = 0; i < runs; ++i) {
        QTemporaryDir bare_dir;
        QTemporaryDir full_dir;
        // A first start deploys every library; a later one in the same folder finds them there.
        // The bare window takes each place in turn, so whatever the machine does between
        // children (caches, clock speed) falls on all three alike.
        struct Start {
            const char *mode;
            const QTemporaryDir &dir;
            std::vector<double> &samples;
        };
        const Start first{"full", full_dir, full};
        const Start again{"full", full_dir, later};
        const Start plain{"bare", bare_dir, bare};
        const Start orders[3][3] = {{plain, first, again}, {first, plain, again}, {first, again, plain}};
        for (const Start &start : orders[i % 3]) {
            QProcess process;
            const auto started = std::chrono::steady_clock::now();
            process.start(QCoreApplication::applicationFilePath(),
                          {QStringLiteral("--child"), QString::fromLatin1(start.mode), start.dir.path()});
            if (!process.waitForFinished(30000) || process.exitCode() != 0) {
                std::fprintf(stderr, "child %s failed: %s\n", start.mode, process.readAllStandardError().constData());
                return 1;
            }
            const long long shown = process.readAllStandardOutput().trimmed().toLongLong();
            const long long begun = std::chrono::nanoseconds(started.time_since_epoch()).count();
            start.samples.push_back(static_cast<double>(shown - begun) / 1e6);
        }
    }
    // The machine's speed drifts over seconds, so each ratio is taken within one round (three
    // starts side by side) and the median of those is reported.
    const auto ratio = [&bare](const std::vector<double> &samples) {
        std::vector<double> ratios;
        for (std::size_t i = 0; i < samples.size(); ++i)
            ratios.push_back(samples[i] / bare[i]);
        return median(ratios);
    };
    std::printf("process start to window shown, median of %d runs:\n", runs);
    std::printf("  bare window with the same widgets: %8.1f ms\n", median(bare));
    std::printf("  first start (skin, deploy, lists, engine init): %8.1f ms  ratio %.2f\n", median(full), ratio(full));
    std::printf("  later start (libraries already deployed):       %8.1f ms  ratio %.2f\n", median(later),
                ratio(later));
    return 0;
}
