// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/carried_skin.h"

// Defined by carried_skin.S, which includes the built files byte for byte.
extern "C" {
extern const char lumeno_skin_library_image[];
extern const char lumeno_skin_library_image_end[];
extern const char lumeno_builtin_skin[];
extern const char lumeno_builtin_skin_end[];
}

SkinImages carried_skin_images()
{
    return {QByteArrayView(lumeno_skin_library_image, lumeno_skin_library_image_end - lumeno_skin_library_image),
            QByteArrayView(lumeno_builtin_skin, lumeno_builtin_skin_end - lumeno_builtin_skin)};
}
