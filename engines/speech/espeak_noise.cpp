// SPDX-License-Identifier: GPL-3.0-or-later
// espeak-ng draws the noise of its voices (breath, fricatives) from rand(), a few calls per
// sample. The C library's rand() takes a lock on every call once a process has a second
// thread, and the engine always has one: that lock alone cost a fifth of the speaking time.
// espeak-ng is linked in from its archive, so its rand() and srand() are bound to these at
// link time; nothing outside the engine library sees them.
//
// One state, no lock: espeak-ng runs on the engine's worker thread only, which seeds it per
// job. xorshift64* keeps the low bits as good as the high ones, which matters: espeak-ng masks
// them off.
#include <cstdint>
#include <cstdlib>

namespace {

std::uint64_t g_noise_state = 0x9e3779b97f4a7c15ULL;

} // namespace

extern "C" {

__attribute__((visibility("hidden"))) int rand(void) noexcept
{
    std::uint64_t x = g_noise_state;
    x ^= x >> 12;
    x ^= x << 25;
    x ^= x >> 27;
    g_noise_state = x;
    return static_cast<int>((x * 0x2545f4914f6cdd1dULL) >> 33); // 31 bits: 0 .. RAND_MAX
}

__attribute__((visibility("hidden"))) void srand(unsigned int seed) noexcept
{
    // A zero state would stay zero; mixing the seed also keeps nearby seeds apart.
    g_noise_state = (static_cast<std::uint64_t>(seed) + 1) * 0x9e3779b97f4a7c15ULL;
}
}
