#pragma once

#include <QByteArrayView>
#include <QString>

// Writes a carried library image to disk so the library can be loaded from there:
// what is already at the system path is kept when it passes `keep`; otherwise the image is
// written to the system path, and when that write fails, to the program path.
enum class KeepExisting {
    AnyFileOrFolder, // whatever exists there wins, of whatever version
    SameSize,        // an existing file wins only when its size equals the image's
};

enum class DeployResult { KeptExisting, WrittenToSystem, WrittenToProgram, Failed };

DeployResult deploy_library(QByteArrayView image, const QString &system_path, const QString &program_path,
                            KeepExisting keep);

// Writes the whole image, creating the file or truncating an existing one. True on success.
bool write_image(const QString &path, QByteArrayView image);
