// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Sound output: plays blocks of linear PCM from memory in the background, in the order they
// were written, and hands every block back through a callback once it has been heard. The
// shape follows the Windows wave output (open with a WAVE format block, write blocks, pause,
// reset, close) so that a waveOut backend can sit behind the same calls.
//
// Every call returns a SoundResult; Ok (0) is success. Nothing throws.
//
// Thread safety: each call says whether it may run on several threads at once. Calls on one
// output handle must not overlap; different handles are independent.
// Callback safety: the block-done callback runs on a thread of the output. It must not call
// any sound_output_* function (the output waits for its own thread there and would never
// return); it should only note the block and wake whoever refills it.

#include <cstddef>
#include <cstdint>

enum class SoundResult : int {
    Ok = 0,
    InvalidArgument, // a null handle, block or callback, or an empty block
    NoDevice,        // no output device, or the device refused to open
    BadFormat,       // the format block describes nothing this output can play
    DeviceError,     // the device failed while running
};

enum class SoundBackend {
    Alsa, // ALSA device "default"; on a desktop it leads to PulseAudio or PipeWire
    Null, // no sound; blocks come back after their real playing time
};

// One block of audio. The bytes belong to the caller and must stay valid and unchanged from
// sound_output_write until the block comes back. A trailing partial frame is not played.
struct SoundBlock {
    const char *data = nullptr;
    std::uint32_t size = 0; // in bytes
    void *user = nullptr;   // free for the caller; the output never touches it
};

struct SoundOutput; // opaque handle

// Called once for every written block when it has been played, or when reset or close hands it
// back unplayed. Blocks come back in the order they were written.
using SoundBlockDone = void (*)(SoundOutput *output, void *instance, SoundBlock *block);

// Chooses the backend for outputs opened from now on; handles already open keep theirs. The
// environment variable LUMENO_SOUND=null|alsa, when set, overrides this choice.
// Thread safety: safe. Callback safety: safe.
SoundResult sound_output_select(SoundBackend backend);

// The backend that sound_output_open uses now: LUMENO_SOUND if set, else the last selection,
// else Alsa. Thread safety: safe. Callback safety: safe.
SoundBackend sound_output_backend();

// Number of output devices of the current backend; 0 when none can play. May briefly open the
// device to find out. Thread safety: safe. Callback safety: safe.
SoundResult sound_output_device_count(unsigned *count);

// Opens the default device of the current backend. format/format_size is the payload of a WAV
// file's "fmt " chunk (at least 16 bytes: tag, channels, rate, byte rate, block align, bits);
// linear PCM of 8, 16, 24 or 32 bits and 32-bit float are accepted. on_done is called with
// instance for every block handed back. On failure *output is set to null.
// Thread safety: safe. Callback safety: unsafe.
SoundResult sound_output_open(SoundOutput **output, const void *format, std::size_t format_size, SoundBlockDone on_done,
                              void *instance);

// Queues a block behind those already written and returns at once; playing starts as soon as
// the output has something to play, unless it is paused.
// Thread safety: unsafe for one handle. Callback safety: unsafe.
SoundResult sound_output_write(SoundOutput *output, SoundBlock *block);

// Holds playing where it is; queued blocks stay queued until the next reset or close.
// Thread safety: unsafe for one handle. Callback safety: unsafe.
SoundResult sound_output_pause(SoundOutput *output);

// Cuts the sound at once and hands back every queued block before returning (the callbacks run
// on the output's thread while this call waits). Clears a pause; the output can be written again.
// Thread safety: unsafe for one handle. Callback safety: unsafe.
SoundResult sound_output_reset(SoundOutput *output);

// Resets (as above, so queued blocks still come back through the callback), then releases the
// device and the handle. No callback runs after this returns.
// Thread safety: unsafe for one handle. Callback safety: unsafe.
SoundResult sound_output_close(SoundOutput *output);
