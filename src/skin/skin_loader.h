// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/library_deploy.h"
#include "platform/shared_library.h"
#include "platform/unresolved_operation.h"
#include "skin_el.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

inline constexpr const char *kSkinLibrary = "libSkinH_EL.so";
inline constexpr const char *kSkinOperation = "SkinH_AttachRes";

// Puts the skin library on disk and hands it a skin. The library is placed and loaded at the
// first attach by the carried-library rule, a file of the carried size at the system path
// being kept as another release of it; a kept file that does not load or lacks
// SkinH_AttachRes is mended once. When no usable copy can be loaded anywhere the program ends
// with its fatal error.
class SkinLoader final {
public:
    SkinLoader(QByteArrayView library_image, LibraryFolders folders);
    // No per-user folder and no install beside the program.
    SkinLoader(QByteArrayView library_image, QString system_folder, QString program_folder);

    void set_fatal_handler(FatalHandler handler) { m_fatal = std::move(handler); }

    // The library's result (0 = the skin is attached). An empty password is handed over as null.
    int attach(QByteArrayView skin, const QByteArray &password, int hue, int saturation, int brightness);

    // The library as the program carries it, with its keep rule.
    CarriedLibrary carried() const;

private:
    QByteArrayView m_image;
    LibraryFolders m_folders;
    FatalHandler m_fatal;
    SharedLibrary m_library;
    SkinH_AttachResFunc m_attach = nullptr;
};
