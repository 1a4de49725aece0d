// SPDX-License-Identifier: GPL-3.0-or-later
// Builds a .SHE skin from its two source files: a description ("key = value" lines: style,
// font-family, font-pixels and colour.NAME = #rrggbb or #rrggbbaa; '#' starts a comment line)
// and a Qt style sheet.
//
//   she_pack OUTPUT DESCRIPTION STYLE_SHEET

#include "she_format.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

std::string trimmed(const std::string &text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool read_file(const char *path, std::string &out)
{
    std::ifstream in(path, std::ios::binary);
    out.assign(std::istreambuf_iterator<char>(in), {});
    return static_cast<bool>(in) || in.eof();
}

bool parse_colour(const std::string &name, const std::string &value, skin::Colour &colour)
{
    unsigned r = 0, g = 0, b = 0, a = 255;
    const bool six = value.size() == 7 && std::sscanf(value.c_str(), "#%2x%2x%2x", &r, &g, &b) == 3;
    const bool eight = value.size() == 9 && std::sscanf(value.c_str(), "#%2x%2x%2x%2x", &r, &g, &b, &a) == 4;
    colour = {name, static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b),
              static_cast<std::uint8_t>(a)};
    return six || eight;
}

bool parse_description(const std::string &text, skin::SkinData &skin)
{
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        line = trimmed(line);
        if (line.empty() || line[0] == '#')
            continue;
        const auto equals = line.find('=');
        const std::string key = trimmed(line.substr(0, equals));
        const std::string value = equals == std::string::npos ? std::string() : trimmed(line.substr(equals + 1));
        bool ok = equals != std::string::npos;
        if (key == "style") {
            skin.base_style = value;
        } else if (key == "font-family") {
            skin.font_family = value;
        } else if (key == "font-pixels") {
            skin.font_pixels = std::atoi(value.c_str());
        } else if (key.rfind("colour.", 0) == 0) {
            skin::Colour colour;
            ok = ok && parse_colour(key.substr(7), value, colour);
            skin.colours.push_back(colour);
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "she_pack: line %d not understood: %s\n", number, line.c_str());
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: she_pack OUTPUT DESCRIPTION STYLE_SHEET\n");
        return 2;
    }
    std::string description;
    skin::SkinData skin;
    if (!read_file(argv[2], description) || !read_file(argv[3], skin.style_sheet)) {
        std::fprintf(stderr, "she_pack: cannot read the sources\n");
        return 1;
    }
    if (!parse_description(description, skin))
        return 1;
    if (!skin::resolve_colours(skin.style_sheet, skin.colours)) {
        std::fprintf(stderr, "she_pack: the style sheet names a colour the description lacks\n");
        return 1;
    }
    const auto bytes = skin::encode_skin(skin);
    if (!bytes) {
        std::fprintf(stderr, "she_pack: a field breaks the format's limits\n");
        return 1;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes->data()), static_cast<std::streamsize>(bytes->size()));
    out.close();
    return out ? 0 : 1;
}
