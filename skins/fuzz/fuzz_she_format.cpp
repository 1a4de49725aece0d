// SPDX-License-Identifier: GPL-3.0-or-later
// The skin reader: any bytes are read or refused, and what is read writes back to the same bytes
// except for skipped unknown sections, and then reads again to the same skin.

#include "she_format.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto skin = skin::parse_skin(data, size);
    if (!skin)
        return 0;
    const auto bytes = skin::encode_skin(*skin);
    if (!bytes || bytes->size() > size)
        std::abort();
    const auto again = skin::parse_skin(bytes->data(), bytes->size());
    if (!again || !(*again == *skin))
        std::abort();
    (void)skin::resolve_colours(skin->style_sheet, skin->colours);
    return 0;
}
