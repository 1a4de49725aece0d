// SPDX-License-Identifier: GPL-3.0-or-later
// How often the engine's Chinese reading picks the labelled reading of a polyphonic character,
// before the tone changes of the sentence. Input: files of labelled sentences, one sentence per
// line with the labelled character between two ▁ (U+2581) marks (NAME.sent), its reading with
// a tone digit on the same line of NAME.lb ("lu:4" and "lv4" alike).
//   reading_accuracy [--wrong] NAME.sent [NAME.sent...]
// Prints the accuracy of each file and of all, then the 20 characters read wrong most often
// with what they were read as; --wrong also lists each sentence read wrong.

#include "chinese_reading.h"
#include "labelled_readings.h"
#include "utf8.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

struct CharacterTally {
    int total = 0;
    int wrong = 0;
    std::map<std::string, int> read_as; // "expected→got"
};

void print_worst(const std::map<char32_t, CharacterTally> &tally)
{
    std::vector<std::pair<char32_t, CharacterTally>> worst(tally.begin(), tally.end());
    std::sort(worst.begin(), worst.end(), [](const auto &a, const auto &b) {
        return a.second.wrong != b.second.wrong ? a.second.wrong > b.second.wrong : a.first < b.first;
    });
    std::printf("\nmost often wrong (wrong/total: expected→read ×times)\n");
    for (std::size_t i = 0; i < worst.size() && i < 20 && worst[i].second.wrong > 0; ++i) {
        const CharacterTally &t = worst[i].second;
        std::printf("%s %3d/%-4d", speech::u32_to_utf8(std::u32string(1, worst[i].first)).c_str(), t.wrong, t.total);
        std::vector<std::pair<std::string, int>> pairs(t.read_as.begin(), t.read_as.end());
        std::sort(pairs.begin(), pairs.end(), [](const auto &a, const auto &b) { return a.second > b.second; });
        for (const auto &[what, times] : pairs)
            std::printf(" %s×%d", what.c_str(), times);
        std::printf("\n");
    }
}

} // namespace

int main(int argc, char **argv)
{
    const bool list_wrong = argc > 1 && std::string(argv[1]) == "--wrong";
    const int first_file = list_wrong ? 2 : 1;
    if (argc <= first_file) {
        std::fprintf(stderr, "usage: reading_accuracy [--wrong] NAME.sent [NAME.sent...]\n");
        return 2;
    }
    std::map<char32_t, CharacterTally> tally;
    std::size_t all_total = 0;
    std::size_t all_right = 0;
    for (int f = first_file; f < argc; ++f) {
        std::vector<speech::LabelledSentence> sentences;
        std::string error;
        if (!speech::load_labelled_sentences(argv[f], sentences, error)) {
            std::fprintf(stderr, "reading_accuracy: %s: %s\n", argv[f], error.c_str());
            return 1;
        }
        std::size_t right = 0;
        for (const speech::LabelledSentence &s : sentences) {
            const std::string got = speech::reading_at(speech::decide_chinese_readings(s.text, nullptr), s.target);
            CharacterTally &t = tally[s.text[s.target]];
            ++t.total;
            if (got == s.reading) {
                ++right;
                continue;
            }
            ++t.wrong;
            ++t.read_as[s.reading + "→" + (got.empty() ? "?" : got)];
            if (list_wrong)
                std::printf("%s\t%zu\t%s→%s\n", speech::u32_to_utf8(s.text).c_str(), s.target, s.reading.c_str(),
                            got.empty() ? "?" : got.c_str());
        }
        std::printf("%s: %zu of %zu right, %.2f %%\n", argv[f], right, sentences.size(),
                    sentences.empty() ? 0.0
                                      : 100.0 * static_cast<double>(right) / static_cast<double>(sentences.size()));
        all_total += sentences.size();
        all_right += right;
    }
    if (argc > first_file + 1)
        std::printf("all: %zu of %zu right, %.2f %%\n", all_right, all_total,
                    all_total ? 100.0 * static_cast<double>(all_right) / static_cast<double>(all_total) : 0.0);
    print_worst(tally);
    return 0;
}
