// Start-up, shutdown and the event bindings of the main window.
#include "app/export/audio_export.h"
#include "app/feedback/feedback_window.h"
#include "app/main_window.h"
#include "app/process_state.h"
#include "app/window_modules.h"
#include "audio/audio_player.h"
#include "engine/tts_engine.h"
#include "feedback/service_address.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const QString kProductName = QStringLiteral("Lumeno语音合成工具");
// The number the feedback service knows this program by.
constexpr qint32 kSoftwareNumber = 10;

} // namespace

SynthesisRun &MainWindow::synthesis_run()
{
    return m_modules->run;
}

void MainWindow::wire_events()
{
    const Controls &c = m_controls;
    Modules &m = *m_modules;
    connect(c.text, &QPlainTextEdit::textChanged, this, [&m] { m.text_panel.update_count(); });
    connect(c.clear, &QPushButton::clicked, this, [&m] { m.text_panel.clear(); });
    connect(c.paste, &QPushButton::clicked, this, [&m] { m.text_panel.paste(); });
    connect(c.import_txt, &QPushButton::clicked, this, [&m] { m.text_panel.import_txt(); });
    connect(c.stop, &QPushButton::clicked, this, [] { AudioPlayer::stop_all(); });
    connect(c.start, &QPushButton::clicked, this, [&m] { m.run.start(); });
    connect(c.save, &QPushButton::clicked, this,
            [this, &c] { AudioExport::save_voice(m_state.audio_buffer, *c.dialog); });
    connect(c.defaults, &QPushButton::clicked, this, [&m] { m.option_lists.restore_defaults(); });
    // Only a pick by the user rebuilds the dependent list: code that sets a selection
    // calls the rebuild itself.
    connect(c.engine_type, &QComboBox::activated, this, [&m] { m.voices.fill_voice_list(); });
    connect(c.audio_encoding, &QComboBox::activated, this, [&m] { m.option_lists.fill_compression_levels(); });
    set_feedback_opener([] {
        FeedbackWindow::open(kSoftwareNumber, feedback::service_address(QCoreApplication::arguments(),
                                                                        QProcessEnvironment::systemEnvironment()));
    });
}

void MainWindow::on_created()
{
    if (m_attach_skin)
        m_attach_skin();
    m_state.version_text = "1.0";
    // The designed caption already carries the version, so it is built from the product name.
    setWindowTitle(kProductName + u'V' + QString::fromLatin1(m_state.version_text));
    Modules &m = *m_modules;
    const auto load_settings = [&m] { m.settings.load(); };
    m_engine.initialise([&m, &load_settings] { m.option_lists.fill(load_settings); },
                        [this](const QString &text) { show_status(text); });
}

void MainWindow::on_close_query()
{
    if (m_closed)
        return;
    m_closed = true;
    // A run still waiting for audio stops polling first; the session it opened is then
    // ended here, once, before the engine is finalised.
    m_modules->run.abandon();
    if (m_engine.end_session() == 0)
        m_engine.finalise();
    m_modules->settings.save();
}
