// SPDX-License-Identifier: GPL-3.0-or-later
// The one exported function: checks its arguments, reads the skin and applies it. Nothing
// thrown inside crosses the C boundary.

#include "she_format.h"
#include "skin_apply.h"
#include "skin_el.h"

#include <new>

extern "C" SKIN_EL_API int SkinH_AttachRes(const unsigned char *data, int size, const char * /*password*/, int hue,
                                           int saturation, int brightness)
{
    if (hue < -180 || hue > 180 || saturation < -100 || saturation > 100 || brightness < -100 || brightness > 100)
        return SKIN_EL_ERROR_INVALID_ARGUMENT;
    if (data == nullptr || size <= 0)
        return SKIN_EL_ERROR_INVALID_SKIN;
    try {
        const std::optional<skin::SkinData> skin = skin::parse_skin(data, static_cast<std::size_t>(size));
        if (!skin)
            return SKIN_EL_ERROR_INVALID_SKIN;
        return skin::apply_skin(*skin, hue, saturation, brightness);
    } catch (const std::bad_alloc &) {
        return SKIN_EL_ERROR_INVALID_SKIN;
    }
}
