// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/message_box.h"
#include "app/main_window.h"
#include "app/start/program_start.h"
#include "audio/audio_player.h"
#include "engine/carried_images.h"
#include "engine/tts_engine.h"
#include "settings/settings_location.h"
#include "skin/carried_skin.h"
#include "skin/skin_loader.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QScreen>

int main(int argc, char *argv[])
{
    if (const std::optional<int> end = program_start::handle_command_line(argc, argv))
        return *end;
    program_start::set_identity();
    QApplication app(argc, argv);
    program_start::set_window_icon(app);
    program_start::load_qt_translations(app, QLocale::system());
    const QString program_folder = QCoreApplication::applicationDirPath();
    QDir::setCurrent(program_folder);

    const LibraryFolders folders = LibraryFolders::for_program(program_folder);
    TtsEngine engine(carried_engine_images(), folders);
    engine.set_fatal_handler(message_box::fatal);
    const SkinImages skin_images = carried_skin_images();
    SkinLoader skin(skin_images.library, folders);
    skin.set_fatal_handler(message_box::fatal);

    MainWindow window(engine, settings_file_path(program_folder));
    // The result is of no concern: an unskinned window works just the same.
    window.set_skin_attach([&skin, &skin_images] { skin.attach(skin_images.skin, {}, 0, 0, 0); });
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window.move(MainWindow::centred_position(screen->size()));
    window.on_created();
    window.show();
    const int result = QApplication::exec();
    // Sound still playing at close ends with the process, but no feeding thread may be left
    // running while the process tears down.
    AudioPlayer::stop_all();
    AudioPlayer::wait_idle(1000);
    return result;
}
