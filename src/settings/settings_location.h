// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Where the settings file lives. A program that belongs to an installation (under /usr or
// /opt, or any install's program folder) keeps it in the user's own folder, whoever runs it,
// root too: the installation's folders are the package's, and a file left there would outlive
// the package. A copy carried around (any other folder) keeps its settings beside itself when
// that folder already holds them or can be written; otherwise in the user's folder, which is
// then created.
QString settings_file_path(const QString &program_folder, const QString &user_folder);

// The same with the user's folder $XDG_CONFIG_HOME/lumeno.
QString settings_file_path(const QString &program_folder);
