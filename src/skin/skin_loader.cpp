// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/skin_loader.h"

#include <limits>

SkinLoader::SkinLoader(QByteArrayView library_image, LibraryFolders folders)
    : m_image(library_image)
    , m_folders(std::move(folders))
{
}

SkinLoader::SkinLoader(QByteArrayView library_image, QString system_folder, QString program_folder)
    : SkinLoader(library_image, LibraryFolders{std::move(system_folder), std::move(program_folder), {}, {}})
{
}

CarriedLibrary SkinLoader::carried() const
{
    return {QString::fromLatin1(kSkinLibrary), m_image, {QByteArray(kSkinOperation)}, KeepRule::SameSize};
}

int SkinLoader::attach(QByteArrayView skin, const QByteArray &password, int hue, int saturation, int brightness)
{
    if (m_attach == nullptr) {
        if (!open_carried_library(m_library, carried(), m_folders)) {
            report_unloadable_library(carried(), m_folders, m_library.error());
            end_with_unresolved_operation(kSkinLibrary, kSkinOperation, m_fatal);
        }
        m_attach = reinterpret_cast<SkinH_AttachResFunc>(m_library.resolve(kSkinOperation));
    }
    const int size = static_cast<int>(qMin<qsizetype>(skin.size(), std::numeric_limits<int>::max()));
    return m_attach(reinterpret_cast<const unsigned char *>(skin.data()), size,
                    password.isEmpty() ? nullptr : password.constData(), hue, saturation, brightness);
}
