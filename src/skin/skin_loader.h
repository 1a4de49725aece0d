#pragma once

#include "platform/shared_library.h"
#include "platform/unresolved_operation.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

inline constexpr const char *kSkinLibrary = "libSkinH_EL.so";
inline constexpr const char *kSkinOperation = "SkinH_AttachRes";

// Puts the skin library on disk and hands it a skin. The library is loaded at the first
// attach, from the program folder first, then the system folder, then the platform's search;
// when it or SkinH_AttachRes cannot be found the program ends with its fatal error.
class SkinLoader final {
public:
    SkinLoader(QByteArrayView library_image, QString system_folder, QString program_folder);

    void set_fatal_handler(FatalHandler handler) { m_fatal = std::move(handler); }

    // The library's result (0 = the skin is attached). An empty password is handed over as null.
    int attach(QByteArrayView skin, const QByteArray &password, int hue, int saturation, int brightness);

private:
    using AttachRes = int (*)(const unsigned char *, int, const char *, int, int, int);

    QByteArrayView m_image;
    QString m_system_folder;
    QString m_program_folder;
    FatalHandler m_fatal;
    SharedLibrary m_library;
    AttachRes m_attach = nullptr;
};
