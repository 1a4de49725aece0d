#include "skin/skin_loader.h"

#include "skin/skin_deploy.h"

#include <limits>

SkinLoader::SkinLoader(QByteArrayView library_image, QString system_folder, QString program_folder)
    : m_image(library_image)
    , m_system_folder(std::move(system_folder))
    , m_program_folder(std::move(program_folder))
{
}

int SkinLoader::attach(QByteArrayView skin, const QByteArray &password, int hue, int saturation, int brightness)
{
    const QString file = QString::fromLatin1(kSkinLibrary);
    deploy_skin_library(m_image, m_system_folder + u'/' + file, m_program_folder + u'/' + file);
    if (m_attach == nullptr) {
        m_library.open_first(file, {m_program_folder, m_system_folder});
        m_attach = reinterpret_cast<AttachRes>(m_library.resolve(kSkinOperation));
        if (m_attach == nullptr)
            end_with_unresolved_operation(kSkinLibrary, kSkinOperation, m_fatal);
    }
    const int size = static_cast<int>(qMin<qsizetype>(skin.size(), std::numeric_limits<int>::max()));
    return m_attach(reinterpret_cast<const unsigned char *>(skin.data()), size,
                    password.isEmpty() ? nullptr : password.constData(), hue, saturation, brightness);
}
