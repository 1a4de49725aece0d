#include "platform/library_deploy.h"

#include <QFile>
#include <QFileInfo>

bool write_image(const QString &path, QByteArrayView image)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool ok = file.write(image.data(), image.size()) == image.size() && file.flush();
    file.close();
    if (!ok || file.error() != QFileDevice::NoError) {
        // A truncated library left behind would be taken as already deployed next time.
        file.remove();
        return false;
    }
    // Libraries are loaded, not edited: make them executable like any installed library.
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther);
    return true;
}

DeployResult deploy_library(QByteArrayView image, const QString &system_path, const QString &program_path,
                            KeepExisting keep)
{
    const QFileInfo existing(system_path);
    if (existing.exists()) {
        if (keep == KeepExisting::AnyFileOrFolder)
            return DeployResult::KeptExisting;
        if (existing.isFile() && existing.size() == image.size())
            return DeployResult::KeptExisting;
    }
    if (write_image(system_path, image))
        return DeployResult::WrittenToSystem;
    return write_image(program_path, image) ? DeployResult::WrittenToProgram : DeployResult::Failed;
}
