// SPDX-License-Identifier: GPL-3.0-or-later
#include "key_value_list.h"

#include <algorithm>
#include <unordered_set>

namespace speech {

std::optional<std::vector<KeyValue>> split_key_values(std::string_view text)
{
    std::vector<KeyValue> pairs;
    if (text.empty())
        return pairs;
    std::unordered_set<std::string_view> keys; // a text of many pairs is checked in linear time
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::string_view pair =
            text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        const std::size_t equals = pair.find('=');
        if (equals == std::string_view::npos || equals == 0)
            return std::nullopt;
        const KeyValue kv{pair.substr(0, equals), pair.substr(equals + 1)};
        if (!keys.insert(kv.key).second)
            return std::nullopt;
        pairs.push_back(kv);
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    return pairs;
}

std::optional<std::string_view> find_value(const std::vector<KeyValue> &pairs, std::string_view key)
{
    const auto it = std::find_if(pairs.begin(), pairs.end(), [key](const KeyValue &kv) { return kv.key == key; });
    if (it == pairs.end())
        return std::nullopt;
    return it->value;
}

std::optional<unsigned long> parse_decimal(std::string_view text, unsigned long max)
{
    if (text.empty())
        return std::nullopt;
    unsigned long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<unsigned long>(c - '0');
        // Checked per digit, so value never exceeds max * 10 + 9 and cannot wrap.
        if (value > max)
            return std::nullopt;
    }
    return value;
}

} // namespace speech
