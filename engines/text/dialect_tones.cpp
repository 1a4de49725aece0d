// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialect_tones.h"

#include "utf8.h"

namespace speech {
namespace {

// Tone values (Chao numbers, 5 highest) of the cities whose speech each voice follows, as
// published in the dialect surveys (e.g. 《汉语方言概要》, 《现代汉语方言大词典》):
//   Chengdu (四川话)   阴平 55  阳平 21  上声 53  去声 213
//   Harbin (东北话)    阴平 44  阳平 24  上声 213 去声 52
//   Xi'an (陕西话)     阴平 21  阳平 24  上声 53  去声 44
//   Zhengzhou (河南话) 阴平 24  阳平 42  上声 53  去声 312
//   Changsha (湖南话)  阴平 33  阳平 13  上声 41  去声 55 (阴去; 阳去 is 21)
// Mandarin's own contours for comparison: 55, 35, 214 (21 before other tones), 51.
using Table = std::array<DialectTone, 6>;
constexpr Table chengdu{{{}, {1, 0}, {3, -12}, {4, 12}, {3, 8}, {5, 0}}};
constexpr Table harbin{{{}, {1, -12}, {2, -4}, {3, 0}, {4, 0}, {5, 0}}};
constexpr Table xian{{{}, {3, -10}, {2, 0}, {4, 12}, {1, -12}, {5, 0}}};
constexpr Table zhengzhou{{{}, {2, 0}, {4, -10}, {4, 15}, {3, 0}, {5, 0}}};
constexpr Table changsha{{{}, {1, -15}, {2, -20}, {4, 0}, {1, 10}, {5, 0}}};

} // namespace

std::optional<Table> dialect_tones(Dialect dialect)
{
    switch (dialect) {
    case Dialect::Sichuan:
        return chengdu;
    case Dialect::Northeast:
        return harbin;
    case Dialect::Shaanxi:
        return xian;
    case Dialect::Henan:
        return zhengzhou;
    case Dialect::Hunan:
        return changsha;
    case Dialect::None:
    case Dialect::Taiwan:
        break;
    }
    return std::nullopt;
}

std::string dialect_speech_ssml(const std::vector<ReadingItem> &items, const Table &tones, const std::string &voice)
{
    std::string out = "<speak><voice name=\"" + voice + "\">";
    for (const ReadingItem &item : items) {
        if (!item.is_syllable) {
            append_xml_escaped(out, item.text);
            out += ' ';
            continue;
        }
        // Dialects have their own tone changes, not Mandarin's third-tone one: the category is
        // the word's own tone; 一, 不 and the neutral tone keep what context made of them.
        const bool contextual = item.syllable.tone == 5 || item.text == U"一" || item.text == U"不";
        const DialectTone tone =
            tones[static_cast<std::size_t>(contextual ? item.syllable.tone : item.dictionary_tone)];
        const std::string syllable = item.syllable.pinyin + static_cast<char>('0' + tone.contour);
        if (tone.pitch == 0)
            out += syllable;
        else
            out += "<prosody pitch=\"" + std::string(tone.pitch > 0 ? "+" : "") + std::to_string(tone.pitch) + "%\">"
                   + syllable + "</prosody>";
        out += ' ';
    }
    out += "</voice></speak>";
    return out;
}

} // namespace speech
