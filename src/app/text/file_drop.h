// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QWidget;

// Takes a local file dropped on a widget (the text box) and hands its path on, instead of
// the widget pasting the file's name as text. Other drops, text included, go to the widget
// as before.
class FileDrop final : public QObject {
public:
    using Handler = std::function<void(const QString &path)>;

    // target is where drops land: for a scroll area, its viewport.
    FileDrop(QWidget *target, Handler handler);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Handler m_handler;
};
