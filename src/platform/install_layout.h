// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Where an installed program's parts lie relative to its own folder, and which folders are
// installations rather than a copy carried around. An install is found by its place, not by
// the prefix it was configured for: `cmake --install --prefix` may put it anywhere.
namespace install_layout {

// The folder of the carried libraries of an install whose programs are in program_folder
// (<prefix>/bin/../<libdir>/lumeno), made absolute and clean; it need not exist.
QString library_folder_beside(const QString &program_folder);

// True for a program folder that belongs to an installation: anywhere under /usr or /opt,
// the configured prefix's program folder, or any <prefix>/bin whose library folder holds the
// installed libraries. Such a folder is the system's or the package's, never the place for a
// user's files, even where the user (root) may write there.
bool is_installed_program_folder(const QString &program_folder);

} // namespace install_layout
