// SPDX-License-Identifier: GPL-3.0-or-later
#include "labelled_readings.h"

#include "utf8.h"

#include <fstream>

namespace speech {
namespace {

bool lines_of(const std::string &path, std::vector<std::string> &lines)
{
    std::ifstream in(path);
    if (!in)
        return false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(line);
    }
    return true;
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

} // namespace

bool load_labelled_sentences(const std::string &sent_path, std::vector<LabelledSentence> &out, std::string &error)
{
    const std::string label_path = sent_path.substr(0, sent_path.rfind('.')) + ".lb";
    std::vector<std::string> sentences;
    std::vector<std::string> labels;
    if (!lines_of(sent_path, sentences) || !lines_of(label_path, labels)) {
        error = "cannot read " + sent_path + " and " + label_path;
        return false;
    }
    if (labels.size() != sentences.size()) {
        error = std::to_string(sentences.size()) + " sentences but " + std::to_string(labels.size()) + " labels";
        return false;
    }
    out.clear();
    for (std::size_t i = 0; i < sentences.size(); ++i) {
        std::u32string text = utf8_to_u32(sentences[i]);
        const std::size_t mark = text.find(U'▁');
        if (mark == std::u32string::npos || mark + 2 >= text.size() || text[mark + 2] != U'▁') {
            error = "line " + std::to_string(i + 1) + ": no character between two ▁ marks";
            return false;
        }
        text.erase(mark + 2, 1);
        text.erase(mark, 1);
        out.push_back({std::move(text), mark, normalised_label(labels[i])});
    }
    return true;
}

std::string reading_at(const std::vector<ReadingItem> &items, std::size_t target)
{
    std::size_t at = 0;
    for (const ReadingItem &item : items) {
        const std::size_t length = item.is_syllable ? 1 : item.text.size();
        if (target < at + length)
            return item.is_syllable ? item.syllable.pinyin + static_cast<char>('0' + item.syllable.tone) : "";
        at += length;
    }
    return "";
}

} // namespace speech
