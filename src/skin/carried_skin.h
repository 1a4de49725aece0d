// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>

// libSkinH_EL.so and the built-in skin as carried inside the program (embedded at build time).
struct SkinImages {
    QByteArrayView library;
    QByteArrayView skin;
};

SkinImages carried_skin_images();
