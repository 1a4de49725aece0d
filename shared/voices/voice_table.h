// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The built-in voices, one table per engine type, in the order the voice list shows them.
// Plain C++ with no Qt so that the engine library and the command-line tool compile the very
// same table: a voice id means one voice everywhere.
//
// Texts are UTF-8 here; the program turns names and descriptions into GBK where it shows them.

#include <cstddef>
#include <span>

namespace voices {

struct VoiceRecord {
    const char *name;        // e.g. "小燕"
    const char *description; // e.g. "青年女声" or "青年女声[粤语]"
    const char *id;          // the engine's voice id, letter case significant
};

struct EngineType {
    const char *title; // the engine type's item text, e.g. "中文语音引擎"
    std::span<const VoiceRecord> voices;
};

// The four engine types in list order: Chinese, English, dialects, other languages.
std::span<const EngineType> engine_types();

// The record with this id (exact, case-sensitive), or nullptr.
const VoiceRecord *find_voice(const char *id);

// Position of the engine type holding the voice with this id, or -1.
int engine_type_of(const char *id);

} // namespace voices
