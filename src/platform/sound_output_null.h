// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Controls of the null sound output, for tests and benchmarks: how many devices it claims,
// whether opening fails, and an observer that sees everything the outputs do.

#include "platform/sound_output.h"

#include <chrono>
#include <cstdint>
#include <functional>

struct NullOutputEvent {
    enum class Kind { Open, Write, Done, Pause, Reset, Close };
    Kind kind;
    const SoundOutput *output;
    const SoundBlock *block;   // Write and Done; its bytes are readable during the call only
    std::uint32_t handed_back; // Reset and Close: blocks handed back unplayed
    std::chrono::steady_clock::time_point at;
};

// Called synchronously: Open and Write on the caller's thread, the others on the output's thread
// (Done, Reset and Close before the callbacks they announce). An empty function removes the observer.
using NullOutputObserver = std::function<void(const NullOutputEvent &)>;

void sound_output_null_observe(NullOutputObserver observer);

// Defaults: one device, opening succeeds.
void sound_output_null_set_device_count(unsigned count);
void sound_output_null_set_open_fails(bool fails);
