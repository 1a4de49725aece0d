// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The comma-separated key=value texts of the configuration and the session parameters.

#include <optional>
#include <string_view>
#include <vector>

namespace speech {

struct KeyValue {
    std::string_view key;
    std::string_view value;
};

// Splits at every ',' and each pair at its first '=', so values may hold ';' and '='.
// Fails (nullopt) on an empty pair, a pair without '=', an empty key or a key seen twice.
// An empty text gives an empty list.
std::optional<std::vector<KeyValue>> split_key_values(std::string_view text);

// The value of key, or nullopt when it is absent.
std::optional<std::string_view> find_value(const std::vector<KeyValue> &pairs, std::string_view key);

// A decimal number made of digits only (no sign, no spaces), at most max; nullopt otherwise.
std::optional<unsigned long> parse_decimal(std::string_view text, unsigned long max);

} // namespace speech
