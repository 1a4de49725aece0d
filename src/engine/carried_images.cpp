// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/carried_images.h"

#ifdef LUMENO_EMBED_LIBRARIES

// Defined by carried_images.S, which includes the built library files byte for byte.
extern "C" {
extern const char lumeno_msc_image[];
extern const char lumeno_msc_image_end[];
extern const char lumeno_codec_image[];
extern const char lumeno_codec_image_end[];
}

EngineImages carried_engine_images()
{
    return {QByteArrayView(lumeno_msc_image, lumeno_msc_image_end - lumeno_msc_image),
            QByteArrayView(lumeno_codec_image, lumeno_codec_image_end - lumeno_codec_image)};
}

#else

// This build carries no copy: the installed libraries are used.
EngineImages carried_engine_images()
{
    return {};
}

#endif
