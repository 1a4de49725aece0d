// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The .SHE skin format (layout in include/skin_el.h): reading, writing, and the colour names
// of the style sheet. Plain C++ without Qt, so the parser is fuzzed on its own.
namespace skin {

struct Colour {
    std::string name;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 255;

    bool operator==(const Colour &) const = default;
};

struct SkinData {
    std::string base_style;  // empty: the application's current style
    std::string font_family; // empty: the application's current family
    int font_pixels = 0;     // 0: no font section
    std::vector<Colour> colours;
    std::string style_sheet;

    bool operator==(const SkinData &) const = default;
};

inline constexpr std::size_t kMaxSkinSize = 1 << 20;
inline constexpr std::size_t kMaxNameLength = 32;
inline constexpr std::size_t kMaxFamilyLength = 64;
inline constexpr int kMinFontPixels = 6;
inline constexpr int kMaxFontPixels = 72;

// The skin in data[0..size), or nothing when it is not a well-formed skin of this format.
std::optional<SkinData> parse_skin(const std::uint8_t *data, std::size_t size);

// The bytes of a skin; nothing when a field breaks the format's limits.
std::optional<std::vector<std::uint8_t>> encode_skin(const SkinData &skin);

bool valid_colour_name(std::string_view name);

// Whether every url() of the sheet names one of the library's own images (":/skin-el/...").
// A skin may not have the application open files of its choosing: a url naming a pipe or a
// device would stall the window for good.
bool sheet_urls_allowed(std::string_view sheet);

// The style sheet with every $name replaced by that colour ("#rrggbb", or "rgba(r, g, b, a)"
// when not opaque); nothing when the sheet names a colour the skin does not define.
std::optional<std::string> resolve_colours(std::string_view sheet, const std::vector<Colour> &colours);

} // namespace skin
