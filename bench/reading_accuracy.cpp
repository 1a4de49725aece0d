// How often the engine's Chinese reading picks the labelled reading of a polyphonic character,
// before the tone changes of the sentence. Input: files of labelled sentences, one sentence per
// line with the labelled character between two ▁ (U+2581) marks (NAME.sent), its reading with
// a tone digit on the same line of NAME.lb ("lu:4" and "lv4" alike).
//   reading_accuracy [--wrong] NAME.sent [NAME.sent...]
// Prints the accuracy of each file and of all, then the 20 characters read wrong most often
// with what they were read as; --wrong also lists each sentence read wrong.

#include "chinese_reading.h"
#include "utf8.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct CharacterTally {
    int total = 0;
    int wrong = 0;
    std::map<std::string, int> read_as; // "expected→got"
};

std::vector<std::string> lines_of(const std::string &path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string normalised_label(const std::string &label)
{
    std::string out;
    for (std::size_t i = 0; i < label.size(); ++i) {
        const bool umlaut = label[i] == 'u' && i + 1 < label.size() && label[i + 1] == ':';
        out += umlaut ? 'v' : label[i];
        i += umlaut ? 1 : 0;
    }
    return out;
}

// The reading given to the character at index target, or "" when it got none.
std::string reading_at(const std::vector<speech::ReadingItem> &items, std::size_t target)
{
    std::size_t at = 0;
    for (const speech::ReadingItem &item : items) {
        const std::size_t length = item.is_syllable ? 1 : item.text.size();
        if (target < at + length)
            return item.is_syllable ? item.syllable.pinyin + static_cast<char>('0' + item.syllable.tone) : "";
        at += length;
    }
    return "";
}

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
    int all_total = 0;
    int all_right = 0;
    for (int f = first_file; f < argc; ++f) {
        const std::string sent_path = argv[f];
        const std::string base = sent_path.substr(0, sent_path.rfind('.'));
        const std::vector<std::string> sentences = lines_of(sent_path);
        const std::vector<std::string> labels = lines_of(base + ".lb");
        if (sentences.empty() || labels.size() < sentences.size()) {
            std::fprintf(stderr, "reading_accuracy: %s: no sentences, or fewer labels in %s.lb\n", argv[f],
                         base.c_str());
            return 1;
        }
        int total = 0;
        int right = 0;
        for (std::size_t i = 0; i < sentences.size(); ++i) {
            std::u32string text = speech::utf8_to_u32(sentences[i]);
            const std::size_t mark = text.find(U'▁');
            if (mark == std::u32string::npos || mark + 1 >= text.size())
                continue;
            text.erase(std::remove(text.begin(), text.end(), U'▁'), text.end());
            const std::string expected = normalised_label(labels[i]);
            const std::string got = reading_at(speech::decide_chinese_readings(text, nullptr), mark);
            CharacterTally &t = tally[text[mark]];
            ++t.total;
            ++total;
            if (got == expected) {
                ++right;
            } else {
                ++t.wrong;
                ++t.read_as[expected + "→" + (got.empty() ? "?" : got)];
                if (list_wrong)
                    std::printf("%s\t%s→%s\n", sentences[i].c_str(), expected.c_str(), got.empty() ? "?" : got.c_str());
            }
        }
        std::printf("%s: %d of %d right, %.2f %%\n", argv[f], right, total, total ? 100.0 * right / total : 0.0);
        all_total += total;
        all_right += right;
    }
    if (argc > first_file + 1)
        std::printf("all: %d of %d right, %.2f %%\n", all_right, all_total,
                    all_total ? 100.0 * all_right / all_total : 0.0);
    print_worst(tally);
    return 0;
}
