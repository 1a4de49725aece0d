#pragma once

#include <QString>
#include <QStringList>

// Task-modal message boxes without owner window. Tests switch them to record mode, where
// nothing is shown and every message is kept for the test to read.
namespace message_box {

// Information icon, OK button, caption "信息：".
void information(const QString &text);

// The fatal error for an unusable outside library; shown, written to standard error,
// then the process ends with exit code -1.
[[noreturn]] void fatal_missing_export(const QString &library, const QString &function);

void record_only(bool on);
QStringList take_recorded();

} // namespace message_box
