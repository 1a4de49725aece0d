// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/start/program_start.h"

#include <QGuiApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char *kUsage = "Usage: lumeno [--help] [--version] [Qt options such as -platform NAME]\n"
                               "Opens the Lumeno text-to-speech window: type, paste or import a text, hear it\n"
                               "and save the speech as a WAV, MP3, Ogg, Opus or FLAC file.\n"
                               "\n"
                               "  -h, --help   show this help and exit\n"
                               "  --version    show the version and exit\n"
                               "\n"
                               "Settings: $XDG_CONFIG_HOME/lumeno/config.ini (~/.config/lumeno) for an installed\n"
                               "program, beside the program for a copy carried around.\n"
                               "Speech without a window, for scripts and long texts: lumeno-say(1).\n";

bool is(const char *argument, const char *option)
{
    return std::strcmp(argument, option) == 0;
}

bool set(const char *variable)
{
    const char *value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

// Where a platform is chosen, Qt is left to judge it.
bool display_reachable(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (is(argv[i], "-platform") || is(argv[i], "--platform"))
            return true;
    }
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

} // namespace

namespace program_start {

std::optional<int> handle_command_line(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (is(argv[i], "--help") || is(argv[i], "-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (is(argv[i], "--version")) {
            std::printf("%s %s\n", kApplicationName, LUMENO_VERSION);
            return 0;
        }
    }
    if (!display_reachable(argc, argv)) {
        std::fprintf(stderr,
                     "%s: cannot open the window: no display (DISPLAY and WAYLAND_DISPLAY are not set); "
                     "lumeno-say speaks without one\n",
                     kApplicationName);
        return 1;
    }
    return std::nullopt;
}

void set_identity()
{
    // The window class on X11 is the application name: the menu entry's StartupWMClass.
    QCoreApplication::setApplicationName(QString::fromLatin1(kApplicationName));
    QCoreApplication::setApplicationVersion(QStringLiteral(LUMENO_VERSION));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopFileName));
}

void set_window_icon(QGuiApplication &app)
{
    // The installed theme's icon when there is one, else the same picture carried inside.
    const QString id = QString::fromLatin1(kDesktopFileName);
    app.setWindowIcon(QIcon::fromTheme(id, QIcon(QStringLiteral(":/lumeno/%1.svg").arg(id))));
}

bool load_qt_translations(QCoreApplication &app, const QLocale &locale)
{
    auto *translator = new QTranslator(&app);
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace program_start
