#pragma once

#include <QString>

// Where the settings file lives. Beside the program when that folder can be written or already
// holds one (a copy carried around on a stick keeps its settings with it); otherwise, as for
// an installed program in a system folder, in the user's own folder, which is then created.
QString settings_file_path(const QString &program_folder, const QString &user_folder);

// The same with the user's folder $XDG_CONFIG_HOME/lumeno.
QString settings_file_path(const QString &program_folder);
