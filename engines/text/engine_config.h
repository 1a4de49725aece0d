// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The configuration text of QTTSInit.

#include <optional>
#include <string>
#include <string_view>

namespace speech {

struct EngineConfig {
    std::string server_url; // accepted and never contacted
    std::string appid;      // 8 characters of [0-9a-z]
    unsigned long timeout_ms = 0;
    std::string coding_libs; // the codec library's file name or path
    std::size_t max_text_size = 0;
};

// Parses server_url=…,appid=…,timeout=…,coding_libs=…,max_text_size=… (any order, all five,
// nothing else). nullopt when anything is missing, unknown, repeated or malformed.
std::optional<EngineConfig> parse_engine_config(std::string_view text);

} // namespace speech
