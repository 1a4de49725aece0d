// SPDX-License-Identifier: GPL-3.0-or-later
// How long the engine takes to prepare hostile texts of 1 MiB before any synthesis (the work
// QTTSTextPut and QTTSSessionBegin do before they take the engine-wide lock). Goal: linear,
// well under a second each.
//   text_prep_bench

#include "script_runs.h"
#include "speech_plan.h"
#include "synthesis_settings.h"
#include "voice_profiles.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace {

double ms_of(const std::function<void()> &work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main()
{
    using namespace speech;
    constexpr std::size_t size = 1 << 20;
    VoiceProfile chinese;
    VoiceProfile english;
    if (!voice_profile("xiaoyan", chinese) || !voice_profile("henry", english))
        return 1;

    const struct {
        const char *name;
        std::u32string text;
        TextType type;
        const VoiceProfile &profile;
    } texts[] = {
        {"SSML, '<' only", std::u32string(size, U'<'), TextType::Ssml, chinese},
        {"SSML, '<a' without '>'",
         [] {
             std::u32string t;
             while (t.size() < size)
                 t += U"<a";
             return t;
         }(),
         TextType::Ssml, chinese},
        {"SSML, '<!--' without end",
         [] {
             std::u32string t;
             while (t.size() < size)
                 t += U"x<!--";
             return t;
         }(),
         TextType::Ssml, chinese},
        {"SSML, '&' only", std::u32string(size, U'&'), TextType::Ssml, chinese},
        {"text, 'a' then spaces", U"a" + std::u32string(size, U' '), TextType::Plain, chinese},
        {"text, Han then digits", U"\u4e2d" + std::u32string(size, U'1'), TextType::Plain, chinese},
        {"text, Malayalam", std::u32string(size, U'\u0d00'), TextType::Plain, english},
    };
    for (const auto &t : texts) {
        const double ms = ms_of([&] {
            plan_speech(keep_spoken_scripts(t.text, t.profile), t.profile, t.type, NumberReading::ValuesFirst);
        });
        std::printf("%-28s %8.1f ms\n", t.name, ms);
    }

    std::string params;
    for (int i = 0; params.size() < size; ++i)
        params += "k" + std::to_string(i) + "=v,";
    params += "k0=again";
    SynthesisSettings settings;
    const double ms = ms_of([&] { parse_synthesis_settings(params, settings); });
    std::printf("%-28s %8.1f ms\n", "parameters, 1 MiB of pairs", ms);
    return 0;
}
