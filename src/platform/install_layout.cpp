// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/install_layout.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Resolved like the program's own folder (which comes from /proc/self/exe), so that a folder
// reached through a link compares equal to its target.
QString clean_folder(const QString &folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QDir(folder).absolutePath()) : canonical;
}

bool inside(const QString &folder, const QString &root)
{
    return folder == root || folder.startsWith(root + u'/');
}

} // namespace

namespace install_layout {

QString library_folder_beside(const QString &program_folder)
{
    return clean_folder(QDir(program_folder).filePath(QStringLiteral(LUMENO_RELATIVE_LIBRARY_DIR)));
}

bool is_installed_program_folder(const QString &program_folder)
{
    const QString folder = clean_folder(program_folder);
    if (inside(folder, QStringLiteral("/usr")) || inside(folder, QStringLiteral("/opt")))
        return true;
    if (folder == clean_folder(QStringLiteral(LUMENO_INSTALL_BINDIR)))
        return true;
    // A relocated install: its libraries where the install puts them, beside the programs.
    return !QDir(library_folder_beside(folder)).isEmpty(QDir::Files | QDir::NoDotAndDotDot);
}

} // namespace install_layout
