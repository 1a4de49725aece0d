// SPDX-License-Identifier: GPL-3.0-or-later
#include "polyphone_model.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

extern "C" const char lumeno_polyphone_model[];
extern "C" const char lumeno_polyphone_model_end[];

namespace speech {
namespace {

static_assert(std::endian::native == std::endian::little, "the carried model is stored little-endian");

constexpr std::size_t embedding_size = 64;
constexpr std::size_t hidden_size = 32;
constexpr std::size_t gate_size = 4 * hidden_size;
constexpr std::size_t dense_size = 32;
constexpr std::uint32_t unknown_id = 1;
constexpr std::uint32_t start_id = 2;
constexpr std::uint32_t end_id = 3;
// A sentence longer than this is read in windows of this many characters around its targets:
// the network's view of a sentence fades long before, and the cost stays bounded.
constexpr std::size_t longest_window = 256;
constexpr std::size_t context_margin = 48;

std::uint32_t u32_at(const unsigned char *p)
{
    std::uint32_t v = 0;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::uint16_t u16_at(const unsigned char *p)
{
    std::uint16_t v = 0;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::size_t padded(std::size_t n)
{
    return (n + 15) / 16 * 16;
}

float sigmoid(float x)
{
    return 1.0F / (1.0F + std::exp(-x));
}

// tanh through exp, which the C library computes several times faster than tanhf; the
// difference is within float rounding (exp overflowing to infinity still gives 1).
float fast_tanh(float x)
{
    return 1.0F - 2.0F / (std::exp(2.0F * x) + 1.0F);
}

// The first index in [0, count) whose record's code point is not below c (records of size bytes).
std::size_t find_record(const unsigned char *records, std::size_t count, std::size_t size, char32_t c)
{
    std::size_t lo = 0;
    std::size_t hi = count;
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (u32_at(records + mid * size) < static_cast<std::uint32_t>(c))
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

// gates += v * column over n values: in blocks of eight the compiler turns into vector
// instructions without being allowed to reorder any sum.
void accumulate(float *__restrict gates, const float *__restrict column, float v, std::size_t n)
{
    constexpr std::size_t block = 8;
    std::size_t r = 0;
    for (; r + block <= n; r += block) {
        for (std::size_t j = 0; j < block; ++j)
            gates[r + j] += v * column[r + j];
    }
    for (; r < n; ++r)
        gates[r] += v * column[r];
}

} // namespace

void lstm_step(const LstmWeights &w, const float *x, float *h, float *c, float *gates)
{
    const std::size_t n = 4 * w.hidden;
    // Column by column, so that each gate sums on its own and the loops vectorise.
    for (std::size_t r = 0; r < n; ++r)
        gates[r] = w.input_bias[r] + w.hidden_bias[r];
    for (std::size_t k = 0; k < w.inputs; ++k)
        accumulate(gates, w.input_t + k * n, x[k], n);
    for (std::size_t k = 0; k < w.hidden; ++k)
        accumulate(gates, w.hidden_t + k * n, h[k], n);
    const std::size_t m = w.hidden;
    for (std::size_t j = 0; j < m; ++j) {
        const float i = sigmoid(gates[j]);
        const float f = sigmoid(gates[m + j]);
        const float g = fast_tanh(gates[2 * m + j]);
        const float o = sigmoid(gates[3 * m + j]);
        c[j] = f * c[j] + i * g;
        h[j] = o * fast_tanh(c[j]);
    }
}

struct PolyphoneModel::Layers {
    const float *embedding;
    LstmWeights forward;
    LstmWeights backward;
    const float *dense_t;
    const float *dense_bias;
    const float *output;
    const float *output_bias;

    Layers(const float *p, std::size_t rows, std::size_t classes)
    {
        embedding = p;
        p += rows * embedding_size;
        for (LstmWeights *w : {&forward, &backward}) {
            *w = {p,
                  p + embedding_size * gate_size,
                  p + (embedding_size + hidden_size) * gate_size,
                  p + (embedding_size + hidden_size + 1) * gate_size,
                  embedding_size,
                  hidden_size};
            p += (embedding_size + hidden_size + 2) * gate_size;
        }
        dense_t = p;
        dense_bias = p + 2 * hidden_size * dense_size;
        output = dense_bias + dense_size;
        output_bias = output + classes * dense_size;
    }

    static std::size_t float_count(std::size_t rows, std::size_t classes)
    {
        return rows * embedding_size + 2 * (embedding_size + hidden_size + 2) * gate_size
               + (2 * hidden_size + 1) * dense_size + classes * (dense_size + 1);
    }
};

const PolyphoneModel &PolyphoneModel::builtin()
{
    static const PolyphoneModel model(std::string_view(
        lumeno_polyphone_model, static_cast<std::size_t>(lumeno_polyphone_model_end - lumeno_polyphone_model)));
    return model;
}

PolyphoneModel::PolyphoneModel(std::string_view data)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(data.data());
    if (data.size() < 32 || data.substr(0, 4) != "LPM1" || reinterpret_cast<std::uintptr_t>(bytes) % 16 != 0)
        return;
    const std::size_t characters = u32_at(bytes + 4);
    const std::size_t classes = u32_at(bytes + 8);
    const std::size_t polyphones = u32_at(bytes + 12);
    const std::size_t reading_ids = u32_at(bytes + 16);
    const std::size_t name_bytes = u32_at(bytes + 20);
    const std::size_t float_offset = u32_at(bytes + 24);
    const std::size_t rows = characters + 2; // padding and unknown have no character
    std::size_t at = 32;
    const std::size_t polyphone_at = at += padded(characters * 8);
    const std::size_t reading_at = at += padded(polyphones * 8);
    const std::size_t name_at = at += padded(reading_ids * 2);
    at += padded(name_bytes);
    if (u32_at(bytes + 28) != data.size() || at != float_offset
        || data.size() - float_offset != 4 * Layers::float_count(rows, classes))
        return;
    const std::string_view names = data.substr(name_at, name_bytes);
    for (std::size_t pos = 0; pos < names.size() && m_classes.size() < classes;) {
        const std::size_t end = names.find('\0', pos);
        if (end == std::string_view::npos)
            break;
        m_classes.push_back(names.substr(pos, end - pos));
        pos = end + 1;
    }
    m_reading_ids = reinterpret_cast<const std::uint16_t *>(bytes + reading_at);
    bool sound = m_classes.size() == classes;
    for (std::size_t i = 0; sound && i < characters; ++i)
        sound = u32_at(bytes + 32 + 8 * i + 4) < rows;
    for (std::size_t i = 0; sound && i < polyphones; ++i) {
        const unsigned char *record = bytes + polyphone_at + 8 * i;
        sound = std::size_t{u16_at(record + 4)} + u16_at(record + 6) <= reading_ids;
    }
    for (std::size_t i = 0; sound && i < reading_ids; ++i)
        sound = m_reading_ids[i] < classes;
    if (!sound) {
        m_classes.clear();
        return;
    }
    m_characters = bytes + 32;
    m_character_count = characters;
    m_polyphones = bytes + polyphone_at;
    m_polyphone_count = polyphones;
    m_reading_id_count = reading_ids;
    m_floats = reinterpret_cast<const float *>(bytes + float_offset);
}

std::span<const std::uint16_t> PolyphoneModel::readings_of(char32_t c) const
{
    if (!valid())
        return {};
    const std::size_t at = find_record(m_polyphones, m_polyphone_count, 8, c);
    if (at == m_polyphone_count || u32_at(m_polyphones + 8 * at) != static_cast<std::uint32_t>(c))
        return {};
    const unsigned char *record = m_polyphones + 8 * at;
    return {m_reading_ids + u16_at(record + 4), u16_at(record + 6)};
}

std::uint32_t PolyphoneModel::input_id(char32_t c) const
{
    const std::size_t at = find_record(m_characters, m_character_count, 8, c);
    if (at == m_character_count || u32_at(m_characters + 8 * at) != static_cast<std::uint32_t>(c))
        return unknown_id;
    return u32_at(m_characters + 8 * at + 4);
}

// The forward and backward states (2 x hidden each) at each target, over the whole sentence
// between its start and end marks.
void PolyphoneModel::hidden_states(std::u32string_view sentence, std::span<const std::size_t> targets,
                                   std::vector<float> &states) const
{
    const Layers layers(m_floats, m_character_count + 2, m_classes.size());
    std::vector<std::uint32_t> ids;
    ids.reserve(sentence.size() + 2);
    ids.push_back(start_id);
    for (const char32_t c : sentence)
        ids.push_back(input_id(c));
    ids.push_back(end_id);
    states.assign(targets.size() * 2 * hidden_size, 0.0F);
    float h[hidden_size];
    float c[hidden_size];
    float gates[gate_size];
    const auto keep = [&](std::size_t t, std::size_t half) {
        std::copy(h, h + hidden_size, states.begin() + static_cast<std::ptrdiff_t>((2 * t + half) * hidden_size));
    };
    // The targets ascend, so each pass meets them in order.
    std::fill(h, h + hidden_size, 0.0F);
    std::fill(c, c + hidden_size, 0.0F);
    std::size_t next = 0;
    for (std::size_t step = 0; step <= targets.back() + 1; ++step) {
        lstm_step(layers.forward, layers.embedding + ids[step] * embedding_size, h, c, gates);
        for (; next < targets.size() && targets[next] + 1 == step; ++next)
            keep(next, 0);
    }
    std::fill(h, h + hidden_size, 0.0F);
    std::fill(c, c + hidden_size, 0.0F);
    next = targets.size();
    for (std::size_t step = ids.size(); step-- > targets.front() + 1;) {
        lstm_step(layers.backward, layers.embedding + ids[step] * embedding_size, h, c, gates);
        for (; next > 0 && targets[next - 1] + 1 == step; --next)
            keep(next - 1, 1);
    }
}

PolyphoneModel::Choice PolyphoneModel::pick(const float *state, std::span<const std::uint16_t> candidates) const
{
    const Layers layers(m_floats, m_character_count + 2, m_classes.size());
    float dense[dense_size];
    std::copy(layers.dense_bias, layers.dense_bias + dense_size, dense);
    for (std::size_t k = 0; k < 2 * hidden_size; ++k) {
        const float *column = layers.dense_t + k * dense_size;
        for (std::size_t j = 0; j < dense_size; ++j)
            dense[j] += state[k] * column[j];
    }
    for (float &v : dense)
        v = std::max(v, 0.0F);
    const auto logit = [&](std::size_t id) {
        float sum = layers.output_bias[id];
        const float *row = layers.output + id * dense_size;
        for (std::size_t j = 0; j < dense_size; ++j)
            sum += row[j] * dense[j];
        return sum;
    };
    const std::size_t count = candidates.empty() ? m_classes.size() : candidates.size();
    std::vector<float> logits(count);
    std::size_t best = 0;
    for (std::size_t i = 0; i < count; ++i) {
        logits[i] = logit(candidates.empty() ? i : candidates[i]);
        if (logits[i] > logits[best])
            best = i;
    }
    double sum = 0;
    for (const float v : logits)
        sum += std::exp(static_cast<double>(v - logits[best]));
    return {candidates.empty() ? best : candidates[best], static_cast<float>(1.0 / sum)};
}

std::vector<PolyphoneModel::Choice> PolyphoneModel::choose(std::u32string_view sentence,
                                                           std::span<const std::size_t> targets, bool all_classes) const
{
    std::vector<Choice> chosen;
    if (!valid() || targets.empty())
        return chosen;
    std::vector<float> states;
    for (std::size_t t = 0; t < targets.size();) {
        // Targets close together share one run; a long sentence is read in windows that give
        // each target at least a context margin on both sides.
        std::size_t start = 0;
        std::size_t length = sentence.size();
        std::size_t end = targets.size();
        if (sentence.size() > longest_window) {
            start = targets[t] > context_margin ? targets[t] - context_margin : 0;
            length = std::min(longest_window, sentence.size() - start);
            const std::size_t last =
                start + length == sentence.size() ? sentence.size() : start + length - context_margin;
            end = t + 1;
            while (end < targets.size() && targets[end] < last)
                ++end;
        }
        std::vector<std::size_t> local(targets.begin() + static_cast<std::ptrdiff_t>(t),
                                       targets.begin() + static_cast<std::ptrdiff_t>(end));
        for (std::size_t &p : local)
            p -= start;
        hidden_states(sentence.substr(start, length), local, states);
        for (std::size_t k = 0; k < local.size(); ++k) {
            const auto own = all_classes ? std::span<const std::uint16_t>{} : readings_of(sentence[local[k] + start]);
            chosen.push_back(pick(states.data() + 2 * hidden_size * k, own));
        }
        t = end;
    }
    return chosen;
}

} // namespace speech
