#pragma once

#include <QObject>
#include <QString>
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

    // filter is "description|pattern", e.g. "文本文档(*.txt)|*.txt".
    void configure(Mode mode, const QString &initial_name, const QString &filter);

    Mode mode() const { return m_mode; }
    QString initial_name() const { return m_initial_name; }
    QString filter() const { return m_filter; }

    // Shows the dialog modally; the chosen path, or nothing when cancelled.
    std::optional<QString> exec();

    // "description|pattern" as a Qt name filter: "description (pattern)". A description
    // that already names the pattern is kept as it is.
    static QString to_name_filter(const QString &filter);

    // Tests answer the next exec() ahead instead of a person; answers are used in order.
    static void answer_next(std::optional<QString> path);
    static int pending_answers();

private:
    QWidget *m_owner;
    Mode m_mode = Mode::Open;
    QString m_initial_name;
    QString m_filter;
};
