// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// Task-modal message boxes without owner window. Tests switch them to record mode, where
// nothing is shown and every message is kept for the test to read.
namespace message_box {

// Information icon, OK button, caption "信息：".
void information(const QString &text);

// A fatal error: critical icon, OK button; the caller ends the process afterwards.
void fatal(const QString &caption, const QString &text);

// Information icon, OK and Cancel, caption "信息："; true for OK. In record mode the text is
// kept and the answer is the next one given to answer_ahead, Cancel when none is left.
bool confirm(const QString &text);
void answer_ahead(bool ok);

// Switching drops answers given ahead and not yet taken.
void record_only(bool on);
QStringList take_recorded();

} // namespace message_box
