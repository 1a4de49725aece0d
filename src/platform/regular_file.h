// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QString>

// Opens path for reading when it is a regular file (or a link to one). Anything else, a pipe,
// a device or a folder, is refused at once: opening a pipe for reading would wait until some
// other process writes to it. False when refused or when the file cannot be opened; errno then
// tells why (EISDIR for a folder, 0 for another kind of file).
bool open_regular_file(QFile &file, const QString &path);
