#include "skin/skin_deploy.h"

#include "platform/file_replace.h"
#include "platform/library_deploy.h"

#include <QFile>
#include <QFileInfo>

namespace {

bool write_library(const QString &path, QByteArrayView image)
{
    // Where the first place is not writable every start lands here: a copy that already holds
    // the bytes is left as it is rather than replaced each time.
    if (file_holds_bytes(path, image))
        return true;
    if (QFileInfo(path).isDir() || !replace_file(path, image))
        return false;
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner | QFileDevice::ExeGroup
                                    | QFileDevice::ExeOther);
    return true;
}

} // namespace

SkinDeployResult deploy_skin_library(QByteArrayView image, const QString &first_place, const QString &program_place)
{
    const QFileInfo existing(first_place);
    if (existing.isFile() && existing.size() == image.size())
        return SkinDeployResult::KeptExisting;
    if (write_library(first_place, image))
        return SkinDeployResult::WrittenToFirstPlace;
    return write_library(program_place, image) ? SkinDeployResult::WrittenToProgramFolder : SkinDeployResult::Failed;
}
