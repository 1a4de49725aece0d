// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Why a file operation failed, for a message in the window: the system's text for an errno
// value, in Chinese. The common values have a text of their own, so the message reads the same
// whatever language the system's messages are installed in; any other value takes the
// system's own text in the user's language.
QString system_error_text(int error);

// "<what>：<path>（<why>）", the form of every file failure message in the window.
QString file_failure_message(const QString &what, const QString &path, const QString &why);
