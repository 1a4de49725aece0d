// SPDX-License-Identifier: GPL-3.0-or-later
#include "voice_profiles.h"

#include "voices/speed_scale.h"
#include "voices/voice_table.h"

#include <array>
#include <cmath>
#include <cstring>
#include <string_view>

namespace speech {
namespace {

// What the description says about the speaker.
enum class Kind { YoungFemale, YoungMale, ElderlyMale, Girl, Boy, Cartoon };

struct Timbre {
    const char *variant;
    int pitch;
    int range;
    int base_rate;
};

// The n-th voice of a kind within one engine type takes the n-th timbre. The pitches are chosen
// from measurements of espeak-ng 1.51 so that the median pitches of the voices of one type lie at
// least two thirds of a semitone apart, whatever their variants.
constexpr std::array young_female{
    Timbre{"f2", 63, 55, 175}, Timbre{"f4", 62, 60, 175}, Timbre{"f1", 75, 50, 170}, Timbre{"f3", 42, 55, 180},
    Timbre{"f5", 60, 50, 175}, Timbre{"f2", 74, 60, 180}, Timbre{"f4", 65, 55, 170}, Timbre{"f1", 57, 65, 175},
    Timbre{"f3", 74, 45, 175}, Timbre{"f5", 38, 60, 170}, Timbre{"f2", 81, 50, 175}, Timbre{"f4", 88, 65, 180},
};
// About 100 to 133 Hz.
constexpr std::array young_male{
    Timbre{"m3", 56, 50, 175}, Timbre{"m1", 70, 55, 170}, Timbre{"m6", 68, 50, 175},
    Timbre{"m2", 70, 45, 180}, Timbre{"m4", 89, 60, 175}, Timbre{"m7", 84, 55, 170},
};
// Elderly: a shaky, low, narrow and slower voice.
constexpr std::array elderly_male{Timbre{"grandpa", 36, 40, 150}, Timbre{"m5", 45, 35, 145}};
// Children: above every young female voice, lively range, a little faster.
constexpr std::array girl{Timbre{"f5", 90, 75, 185}, Timbre{"f1", 98, 70, 185}};
constexpr std::array boy{Timbre{"f4", 94, 65, 185}, Timbre{"f2", 96, 70, 190}};
// Cartoons: odd variants with the widest range, between the male and the female voices.
constexpr std::array cartoon{Timbre{"Tweaky", 95, 95, 195}, Timbre{"croak", 81, 100, 190}};

Kind kind_of(std::string_view description)
{
    const auto starts = [description](std::string_view prefix) {
        return description.substr(0, prefix.size()) == prefix;
    };
    if (starts("青年男声"))
        return Kind::YoungMale;
    if (starts("老年男声"))
        return Kind::ElderlyMale;
    if (starts("少女童声"))
        return Kind::Girl;
    if (starts("少男童声"))
        return Kind::Boy;
    if (starts("卡通"))
        return Kind::Cartoon;
    return Kind::YoungFemale;
}

template <std::size_t N> const Timbre &pick(const std::array<Timbre, N> &timbres, std::size_t index)
{
    return timbres[index % N];
}

const Timbre &timbre_of(Kind kind, std::size_t index)
{
    switch (kind) {
    case Kind::YoungMale:
        return pick(young_male, index);
    case Kind::ElderlyMale:
        return pick(elderly_male, index);
    case Kind::Girl:
        return pick(girl, index);
    case Kind::Boy:
        return pick(boy, index);
    case Kind::Cartoon:
        return pick(cartoon, index);
    case Kind::YoungFemale:
        break;
    }
    return pick(young_female, index);
}

struct Language {
    std::string_view marker; // the bracketed part of the description
    const char *espeak;
    ScriptFamily family;
    Dialect dialect = Dialect::None;
};

// The plain cmn voice of espeak-ng 1.51 reads most characters as English-spoken pinyin, so
// Mandarin and its dialects use cmn-latn-pinyin.
constexpr std::array languages{
    Language{"[粤语]", "yue", ScriptFamily::Han},
    Language{"[台普]", "cmn-latn-pinyin", ScriptFamily::Han, Dialect::Taiwan},
    Language{"[四川话]", "cmn-latn-pinyin", ScriptFamily::Han, Dialect::Sichuan},
    Language{"[东北话]", "cmn-latn-pinyin", ScriptFamily::Han, Dialect::Northeast},
    Language{"[陕西话]", "cmn-latn-pinyin", ScriptFamily::Han, Dialect::Shaanxi},
    Language{"[河南话]", "cmn-latn-pinyin", ScriptFamily::Han, Dialect::Henan},
    Language{"[湖南话]", "cmn-latn-pinyin", ScriptFamily::Han, Dialect::Hunan},
    Language{"[法语]", "fr", ScriptFamily::Other},
    Language{"[维吾尔语]", "ug", ScriptFamily::Other},
    Language{"[俄罗斯语]", "ru", ScriptFamily::Other},
    Language{"[西班牙语]", "es", ScriptFamily::Other},
    Language{"[印地语]", "hi", ScriptFamily::Other},
    Language{"[越南语]", "vi", ScriptFamily::Other},
};

// English engine type position in the catalogue; its voices alternate American and British
// English ("en" is espeak-ng's British voice: it takes voices by file name, and en-gb is none).
constexpr int english_engine_type = 1;
constexpr int dialect_engine_type = 2;

} // namespace

bool voice_profile(std::string_view voice_id, VoiceProfile &profile)
{
    const std::string id(voice_id);
    const int type = voices::engine_type_of(id.c_str());
    if (type < 0)
        return false;
    const auto &records = voices::engine_types()[static_cast<std::size_t>(type)].voices;

    std::size_t same_kind_before = 0;
    const voices::VoiceRecord *record = nullptr;
    for (const voices::VoiceRecord &r : records) {
        if (std::strcmp(r.id, id.c_str()) == 0) {
            record = &r;
            break;
        }
    }
    const Kind kind = kind_of(record->description);
    for (const voices::VoiceRecord &r : records) {
        if (&r == record)
            break;
        if (kind_of(r.description) == kind)
            ++same_kind_before;
    }

    const std::string_view description = record->description;
    profile.dialect = Dialect::None;
    const char *language = "cmn-latn-pinyin";
    ScriptFamily family = ScriptFamily::Han;
    if (type == english_engine_type) {
        language = same_kind_before % 2 == 0 ? "en-us" : "en";
        family = ScriptFamily::Other;
    }
    for (const Language &l : languages) {
        if (description.find(l.marker) != std::string_view::npos) {
            language = l.espeak;
            family = l.family;
            profile.dialect = l.dialect;
        }
    }

    const Timbre &timbre = timbre_of(kind, same_kind_before);
    const std::string variant = std::string("+") + timbre.variant;
    profile.espeak_voice = language + variant;
    profile.foreign_voice = (family == ScriptFamily::Han ? "en-us" : "cmn-latn-pinyin") + variant;
    profile.family = family;
    // The dialect voices reuse the Mandarin voices' timbres: a slightly higher, slower voice
    // keeps each of them apart from its Mandarin twin even where the dialect's tones agree.
    const int dialect_shift = type == dialect_engine_type ? 3 : 0;
    profile.pitch = timbre.pitch + dialect_shift;
    profile.range = timbre.range;
    profile.base_rate = timbre.base_rate - 2 * dialect_shift;
    return true;
}

int speech_rate(const VoiceProfile &profile, int speed)
{
    const double factor = voices::speed_factor(speed);
    const long rate = std::lround(profile.base_rate * factor);
    // espeak-ng's own limits; the base rates keep the five words apart even when clamped.
    return static_cast<int>(rate < 80 ? 80 : rate > 450 ? 450 : rate);
}

} // namespace speech
