// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "she_format.h"

namespace skin {

// Shifts the skin's colours and gives the running application its style, palette, font and
// style sheet. Returns a SKIN_EL_* result; on an error the look is left as it was.
int apply_skin(const SkinData &skin, int hue, int saturation, int brightness);

} // namespace skin
