// Start-up, shutdown and the event bindings of the main window.
#include "app/main_window.h"

#include "app/process_state.h"
#include "app/window_modules.h"
#include "engine/tts_engine.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const QString kProductName = QStringLiteral("Lumeno语音合成工具");

} // namespace

void MainWindow::wire_events()
{
    const Controls &c = m_controls;
    Modules &m = *m_modules;
    connect(c.text, &QPlainTextEdit::textChanged, this, [&m] { m.text_panel.update_count(); });
    connect(c.clear, &QPushButton::clicked, this, [&m] { m.text_panel.clear(); });
    connect(c.paste, &QPushButton::clicked, this, [&m] { m.text_panel.paste(); });
    connect(c.import_txt, &QPushButton::clicked, this, [&m] { m.text_panel.import_txt(); });
}

void MainWindow::on_created()
{
    m_state.version_text = "1.0";
    // The designed caption already carries the version, so it is built from the product name.
    setWindowTitle(kProductName + u'V' + QString::fromLatin1(m_state.version_text));
    Modules &m = *m_modules;
    // Loading the saved settings ends with the count refresh, which also enforces the limit.
    const auto load_settings = [&m] { m.text_panel.update_count(); };
    m_engine.initialise(load_settings, [this](const QString &text) { show_status(text); });
}

void MainWindow::on_close_query()
{
    if (m_closed)
        return;
    m_closed = true;
    if (m_engine.end_session() == 0)
        m_engine.finalise();
}
