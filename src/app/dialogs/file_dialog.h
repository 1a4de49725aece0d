// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

// The window's one file dialog, shared by the text import and the audio export. It is a
// window part rather than a fresh dialog per use: it keeps the settings it was given last,
// and each caller configures all of them before showing it.
class FileDialog final : public QObject {
    Q_OBJECT

public:
    enum class Mode { Open, Save };

    explicit FileDialog(QWidget *owner);

    // filter is "description|pattern", e.g. "文本文档(*.txt)|*.txt", or several such pairs
    // joined by '|', the first being the default.
    void configure(Mode mode, const QString &initial_name, const QString &filter);

    Mode mode() const { return m_mode; }
    QString initial_name() const { return m_initial_name; }
    QString filter() const { return m_filter; }

    // Shows the dialog modally; the chosen path, or nothing when cancelled. A chosen path's
    // folder becomes the folder the next dialog starts in.
    std::optional<QString> exec();

    // The folder the last dialog chose from, kept in the user's settings; empty before any.
    QString folder() const { return m_folder; }
    void set_folder(const QString &folder) { m_folder = folder; }
    // Where the next dialog starts: the last folder used while it exists; else the current
    // folder (start-up makes that the program's) when the user may write there; else the
    // user's documents folder, else home. An installed program's folder is no place for
    // the user's files.
    QString start_folder() const;
    // The folder the last exec() started in, answered ahead or not.
    QString shown_folder() const { return m_shown_folder; }

    // Each "description|pattern" pair as a Qt name filter: "description (pattern)". A
    // description that already names the pattern is kept as it is.
    static QStringList to_name_filters(const QString &filter);

    // Tests answer the next exec() ahead instead of a person; answers are used in order.
    static void answer_next(std::optional<QString> path);
    static int pending_answers();

private:
    std::optional<QString> ask(const QString &folder);

    QWidget *m_owner;
    Mode m_mode = Mode::Open;
    QString m_initial_name;
    QString m_filter;
    QString m_folder;
    QString m_shown_folder;
};
