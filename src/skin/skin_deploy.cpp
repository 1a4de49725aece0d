#include "skin/skin_deploy.h"

#include "platform/library_deploy.h"

#include <QFileInfo>

SkinDeployResult deploy_skin_library(QByteArrayView image, const QString &first_place, const QString &program_place)
{
    const QFileInfo existing(first_place);
    if (existing.isFile() && existing.size() == image.size())
        return SkinDeployResult::KeptExisting;
    // Flushed: a copy of the right size is kept unread at every later start.
    if (place_library_copy(first_place, image, FileSync::Durable))
        return SkinDeployResult::WrittenToFirstPlace;
    // Where the first place is not writable every start lands here: a copy that already holds
    // the bytes is left as it is rather than replaced each time.
    return place_library_copy(program_place, image, FileSync::Durable) ? SkinDeployResult::WrittenToProgramFolder
                                                                       : SkinDeployResult::Failed;
}
