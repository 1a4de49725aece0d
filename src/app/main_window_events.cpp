// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, shutdown and the event bindings of the main window.
#include "app/export/audio_export.h"
#include "app/feedback/feedback_window.h"
#include "app/main_window.h"
#include "app/status_texts.h"
#include "app/window_conveniences.h"
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
    connect(c.save, &QPushButton::clicked, this, [&m, &c] { AudioExport::save_voice(m.run.last_speech(), *c.dialog); });
    connect(c.defaults, &QPushButton::clicked, this, [&m] { m.option_lists.restore_defaults(); });
    // Only a pick by the user rebuilds the dependent list: code that sets a selection
    // calls the rebuild itself.
    connect(c.engine_type, &QComboBox::activated, this, [&m] { m.voices.fill_voice_list(); });
    connect(c.audio_encoding, &QComboBox::activated, this, [&m] { m.option_lists.fill_compression_levels(); });
    window_conveniences::add_shortcuts(c, [this] { open_feedback(); });
    window_conveniences::add_names_and_hints(c);
    window_conveniences::accept_dropped_files(c, m.text_panel);
    set_feedback_opener([] {
        FeedbackWindow::open(kSoftwareNumber, feedback::service_address(QCoreApplication::arguments(),
                                                                        QProcessEnvironment::systemEnvironment()));
    });
}

void MainWindow::on_created()
{
    // 1. The skin, before anything is drawn.
    if (m_attach_skin)
        m_attach_skin();
    // 2. The version and the caption; the designed caption already carries the version, so it
    //    is built from the product name.
    m_version_text = "1.0";
    setWindowTitle(kProductName + u'V' + QString::fromLatin1(m_version_text));
    // 3. The engine libraries in place, and the configuration it will be started with.
    m_engine.deploy();
    m_engine.prepare_configuration();
    // 4. The option lists with their defaults, the saved settings over them, and the lists that
    //    depend on what the settings selected: the window is complete whatever the engine says.
    Modules &m = *m_modules;
    m.option_lists.fill_fixed_items();
    m.settings.load();
    m.option_lists.rebuild_dependent_lists();
    // 5. The engine started, and the outcome shown.
    show_status(QString::fromUtf16(m_engine.start_engine() == 0 ? status_text::kConnected : status_text::kInitFailed));
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
    // The settings are written whatever the engine said.
    m_modules->settings.save();
}
