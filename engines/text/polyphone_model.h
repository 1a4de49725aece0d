// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The reading of a polyphonic character chosen from its sentence by a small trained network
// (g2pM: character embedding, one bidirectional LSTM layer, two fully connected layers), run in
// plain float32 over the table the engine carries (engines/data/polyphone_model.bin, packed by
// scripts/make_polyphone_model.py).

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace speech {

// One direction of an LSTM layer: weights stored transposed (input-major), gates i | f | g | o.
struct LstmWeights {
    const float *input_t = nullptr;  // inputs x 4*hidden
    const float *hidden_t = nullptr; // hidden x 4*hidden
    const float *input_bias = nullptr;
    const float *hidden_bias = nullptr;
    std::size_t inputs = 0;
    std::size_t hidden = 0;
};

// One time step: h and c (hidden values each) move from t-1 to t; gates needs 4*hidden floats.
void lstm_step(const LstmWeights &w, const float *x, float *h, float *c, float *gates);

class PolyphoneModel final {
public:
    // The carried table, checked at the first call; an unusable table gives a model that knows
    // no polyphones (the reading then comes from the dictionary alone).
    static const PolyphoneModel &builtin();

    // data must outlive the model and start on a 16-byte boundary.
    explicit PolyphoneModel(std::string_view data);

    bool valid() const { return m_floats != nullptr; }
    // The readings (class ids) a polyphone may take; empty for other characters.
    std::span<const std::uint16_t> readings_of(char32_t c) const;
    bool is_polyphone(char32_t c) const { return !readings_of(c).empty(); }
    std::size_t class_count() const { return m_classes.size(); }
    std::string_view class_name(std::size_t id) const { return m_classes[id]; } // "zhao2"

    struct Choice {
        std::size_t reading = 0; // class id
        float confidence = 0;    // its probability among the candidates
    };
    // For each index of targets (ascending positions in sentence), the class the network picks:
    // among the character's own readings, or among all classes when all_classes (or for a
    // character without readings of its own).
    std::vector<Choice> choose(std::u32string_view sentence, std::span<const std::size_t> targets,
                               bool all_classes = false) const;

private:
    struct Layers;
    std::uint32_t input_id(char32_t c) const;
    void hidden_states(std::u32string_view sentence, std::span<const std::size_t> targets,
                       std::vector<float> &states) const;
    Choice pick(const float *state, std::span<const std::uint16_t> candidates) const;

    const unsigned char *m_characters = nullptr; // (code point, id) pairs
    std::size_t m_character_count = 0;
    const unsigned char *m_polyphones = nullptr; // (code point, first, count)
    std::size_t m_polyphone_count = 0;
    const std::uint16_t *m_reading_ids = nullptr;
    std::size_t m_reading_id_count = 0;
    std::vector<std::string_view> m_classes;
    const float *m_floats = nullptr;
};

} // namespace speech
