// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What is markup in an SSML text, as lumeno-say's splitter (src/text/sentence_split) and the
// engine's rewriter (engines/text/ssml_rewriter) must both see it: the splitter reopens a
// start tag in every later piece, so a '<' it takes for a tag that the engine reads as text
// would be spoken again and again. Each case is the text right after "x" in a document; the
// markup, when there is one, is its first markup_length bytes (ASCII, so bytes and characters
// agree).

#include <array>
#include <string_view>

namespace ssml_cases {

struct MarkupCase {
    const char *name;
    std::string_view text;
    std::size_t markup_length; // 0: the '<' opens nothing, it is text
};

inline constexpr std::array kMarkupCases{
    MarkupCase{"start tag", R"(<prosody rate="slow">y)", 21},
    MarkupCase{"end tag", "</prosody>y", 10},
    MarkupCase{"empty element", R"(<break time="5ms"/>y)", 19},
    MarkupCase{"comment", "<!-- a < b -->y", 14},
    MarkupCase{"processing instruction", "<?pi data?>y", 11},
    MarkupCase{"name with underscore", "<_a>y", 4},
    MarkupCase{"spaced comparison", "< b > c", 0},
    MarkupCase{"digit after '<'", "<3 > y", 0},
    MarkupCase{"empty brackets", "<> y", 0},
    MarkupCase{"equals after '<'", "<= y >", 0},
};

} // namespace ssml_cases
