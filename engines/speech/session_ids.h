// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The texts of the session ids handed to callers. Each is written once into memory that is
// never freed nor written again, so a caller that passes a stale id (a session another thread
// ended, or one from before QTTSFini) makes the engine read a finished id text, never freed
// memory; the lookup then reports the id as unknown.

#include <array>
#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace speech {

class SessionIds final {
public:
    // Room for "lumeno-" and the decimal count of every session a process can begin.
    static constexpr std::size_t kSlotSize = 32;

    // A lasting copy of id (at most kSlotSize - 1 bytes). The caller serialises calls.
    const char *keep(std::string_view id);

private:
    static constexpr std::size_t kSlotsPerBlock = 256;
    using Block = std::array<std::array<char, kSlotSize>, kSlotsPerBlock>;

    std::vector<std::unique_ptr<Block>> m_blocks;
    std::size_t m_used_in_last = kSlotsPerBlock;
};

} // namespace speech
