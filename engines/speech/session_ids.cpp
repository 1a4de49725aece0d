// SPDX-License-Identifier: GPL-3.0-or-later
#include "session_ids.h"

#include <algorithm>

namespace speech {

const char *SessionIds::keep(std::string_view id)
{
    if (m_used_in_last == kSlotsPerBlock) {
        m_blocks.push_back(std::make_unique<Block>());
        m_used_in_last = 0;
    }
    std::array<char, kSlotSize> &slot = (*m_blocks.back())[m_used_in_last++];
    const std::size_t length = std::min(id.size(), kSlotSize - 1);
    std::copy_n(id.data(), length, slot.data());
    slot[length] = '\0';
    return slot.data();
}

} // namespace speech
