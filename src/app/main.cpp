#include "app/main_window.h"
#include "app/process_state.h"
#include "audio/audio_player.h"
#include "engine/carried_images.h"
#include "engine/tts_engine.h"
#include "platform/message_box.h"
#include "settings/settings_location.h"

#include <QApplication>
#include <QDir>
#include <QScreen>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString program_folder = QCoreApplication::applicationDirPath();
    QDir::setCurrent(program_folder);

    ProcessState state;
    TtsEngine engine(carried_engine_images(), LibraryFolders::for_program(program_folder));
    engine.set_fatal_handler(message_box::fatal);

    MainWindow window(state, engine, settings_file_path(program_folder));
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
