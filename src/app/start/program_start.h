// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

class QCoreApplication;
class QGuiApplication;
class QLocale;

// What happens before and around the window's creation: the command line, which must be
// answered without a display, and the program's identity and language on the desktop.
namespace program_start {

// The menu entry's name (data/<id>.desktop) and the window class it names as StartupWMClass.
inline constexpr const char *kDesktopFileName = "org.example.lumeno.Lumeno";
inline constexpr const char *kApplicationName = "lumeno";

// Answers --help and --version on standard output, and a start without any display in one
// line on standard error, before Qt is started (it would abort). The exit code when the
// program ends here; nothing when the window is to open. Qt's own options pass through.
std::optional<int> handle_command_line(int argc, char **argv);

// Name, version, desktop entry and window icon, so that docks match the window to its entry.
// Called before the application object is made, and again with it for the icon.
void set_identity();
void set_window_icon(QGuiApplication &app);

// Qt's own texts (standard dialogs and buttons) in the language of the locale when Qt has a
// translation for it; false when it has none.
bool load_qt_translations(QCoreApplication &app, const QLocale &locale);

} // namespace program_start
