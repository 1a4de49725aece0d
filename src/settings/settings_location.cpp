// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/settings_location.h"

#include "platform/install_layout.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString kFileName = QStringLiteral("config.ini");

} // namespace

QString settings_file_path(const QString &program_folder, const QString &user_folder)
{
    const QString beside = QDir(program_folder).filePath(kFileName);
    if (!install_layout::is_installed_program_folder(program_folder)
        && (QFileInfo(beside).exists() || QFileInfo(program_folder).isWritable()))
        return beside;
    // Created now, so that the file can be written whole when the program closes.
    QDir().mkpath(user_folder);
    return QDir(user_folder).filePath(kFileName);
}

QString settings_file_path(const QString &program_folder)
{
    return settings_file_path(program_folder, QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                                                  + QStringLiteral("/lumeno"));
}
