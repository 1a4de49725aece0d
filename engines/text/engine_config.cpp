// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine_config.h"

#include "key_value_list.h"

#include <algorithm>
#include <array>

namespace speech {
namespace {

constexpr unsigned long max_timeout_ms = 24UL * 60 * 60 * 1000;
constexpr unsigned long max_text_limit = 1UL << 20;

bool is_host_char(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-'
           || c == '_';
}

// host[:port][/path]: the service address is only checked for shape, never used.
bool is_server_url(std::string_view url)
{
    const std::size_t slash = url.find('/');
    const std::string_view authority = url.substr(0, slash);
    const std::size_t colon = authority.find(':');
    const std::string_view host = authority.substr(0, colon);
    if (host.empty() || !std::all_of(host.begin(), host.end(), is_host_char))
        return false;
    if (colon != std::string_view::npos && !parse_decimal(authority.substr(colon + 1), 65535).has_value())
        return false;
    return true;
}

bool is_appid(std::string_view appid)
{
    return appid.size() == 8 && std::all_of(appid.begin(), appid.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z');
           });
}

} // namespace

std::optional<EngineConfig> parse_engine_config(std::string_view text)
{
    const auto pairs = split_key_values(text);
    if (!pairs)
        return std::nullopt;
    constexpr std::array keys{"server_url", "appid", "timeout", "coding_libs", "max_text_size"};
    if (pairs->size() != keys.size())
        return std::nullopt;
    for (const char *key : keys) {
        if (!find_value(*pairs, key))
            return std::nullopt;
    }

    const std::string_view url = *find_value(*pairs, "server_url");
    const std::string_view appid = *find_value(*pairs, "appid");
    const auto timeout = parse_decimal(*find_value(*pairs, "timeout"), max_timeout_ms);
    const std::string_view codec = *find_value(*pairs, "coding_libs");
    const auto max_size = parse_decimal(*find_value(*pairs, "max_text_size"), max_text_limit);
    if (!is_server_url(url) || !is_appid(appid) || !timeout || *timeout == 0 || codec.empty() || !max_size
        || *max_size == 0)
        return std::nullopt;

    EngineConfig config;
    config.server_url = std::string(url);
    config.appid = std::string(appid);
    config.timeout_ms = *timeout;
    config.coding_libs = std::string(codec);
    config.max_text_size = *max_size;
    return config;
}

} // namespace speech
