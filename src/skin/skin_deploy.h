#pragma once

#include <QByteArrayView>
#include <QString>

enum class SkinDeployResult { KeptExisting, WrittenToFirstPlace, WrittenToProgramFolder, Failed };

// Makes sure the skin library is on disk. A file at first_place whose size equals the image's
// is kept whatever its content (another release of the library is as good). Otherwise the
// image goes to first_place, or, when that fails (a folder there, no right to write), to
// program_place. A file is never rewritten in place: another running copy of the program may
// have it mapped, so the image is written beside it and renamed over it.
SkinDeployResult deploy_skin_library(QByteArrayView image, const QString &first_place, const QString &program_place);
