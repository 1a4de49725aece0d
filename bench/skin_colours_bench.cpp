// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and resolving a hostile skin: the most colours the format holds (65,535), every
// 16th of them named in the style sheet (all of them would pass the format's 1 MB). Run: build/ci/bench/skin_colours_bench [rounds]
#include "she_format.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char **argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    skin::SkinData data;
    for (int i = 0; i < 0xFFFF; ++i) {
        const std::string name = "c" + std::to_string(i);
        data.colours.push_back({name, static_cast<std::uint8_t>(i), 0, 0, 255});
        if (i % 16 == 0)
            data.style_sheet += "*{color:$" + name + "}";
    }
    const auto bytes = skin::encode_skin(data);
    if (!bytes) {
        std::fprintf(stderr, "the skin breaks the format's limits\n");
        return 1;
    }
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        const auto parsed = skin::parse_skin(bytes->data(), bytes->size());
        const auto sheet = parsed ? skin::resolve_colours(parsed->style_sheet, parsed->colours) : std::nullopt;
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        std::printf("round %d: %zu bytes, %zu colours, parse + resolve %.1f ms%s\n", round + 1, bytes->size(),
                    parsed ? parsed->colours.size() : 0, took.count(), sheet ? "" : " (refused)");
    }
    return 0;
}
