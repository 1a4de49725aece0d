// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/controls.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class QCloseEvent;
class QLabel;
class TtsEngine;
class SynthesisRun;

// The program's only window: every control at its designed place, the status panel, and the
// thirteen event bindings. Start-up runs in on_created (before the window takes input) and
// shutdown in on_close_query.
class MainWindow final : public QMainWindow {
    Q_OBJECT

public:
    // The web address shown in the status bar, without its scheme.
    static constexpr const char16_t *kWebAddress = u"lumeno.example.org";
    static constexpr int kOuterWidth = 671;
    static constexpr int kOuterHeight = 482;

    // config_path names the settings file, read at start-up and written at close.
    MainWindow(TtsEngine &engine, QString config_path, QWidget *parent = nullptr);
    ~MainWindow() override;

    const Controls &controls() const { return m_controls; }
    SynthesisRun &synthesis_run();
    // The program's version as the caption shows it, set at start-up.
    const QByteArray &version_text() const { return m_version_text; }

    void show_status(const QString &text);
    void on_created();
    void on_close_query();
    void on_status_bar_pressed(int x, int y, Qt::KeyboardModifiers keys);
    // What a press on the left part of the status bar does, and its keyboard shortcut.
    void open_feedback();

    // Top-left corner that centres the designed outer size on a screen of this size.
    static QPoint centred_position(const QSize &screen);

    // What a press on the left part of the status bar opens: the feedback window, unless a
    // test attaches something else.
    void set_feedback_opener(std::function<void()> opener) { m_open_feedback = std::move(opener); }
    // The first start-up step: attaching the skin (the program attaches its built-in one).
    void set_skin_attach(std::function<void()> attach) { m_attach_skin = std::move(attach); }

signals:
    // Every text written to the status panel, in order (assistive tools and tests follow it).
    void status_shown(const QString &text);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build_controls();
    void build_text_group(QWidget *client);
    void build_option_groups(QWidget *client);
    void build_status_bar();
    void wire_events();

    QByteArray m_version_text;
    TtsEngine &m_engine;
    QString m_config_path;
    Controls m_controls;
    std::function<void()> m_open_feedback;
    std::function<void()> m_attach_skin;
    bool m_closed = false;

    struct Modules;
    std::unique_ptr<Modules> m_modules;
};
