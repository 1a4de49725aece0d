// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration text of QTTSInit: any bytes parse or fail, and what parses is in range.

#include "engine_config.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const auto config = speech::parse_engine_config(text);
    if (config) {
        const bool sane = config->appid.size() == 8 && config->timeout_ms > 0 && config->max_text_size > 0
                          && config->max_text_size <= (1u << 20) && !config->coding_libs.empty()
                          && !config->server_url.empty();
        if (!sane)
            std::abort();
    }
    return 0;
}
