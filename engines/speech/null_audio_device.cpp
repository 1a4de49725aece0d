// SPDX-License-Identifier: GPL-3.0-or-later
// espeak-ng is linked in from its static archive, and the engine only ever runs it in
// synchronous mode, where it hands samples to our callback and never plays them. Its sound
// output calls land here instead of in pcaudiolib, so starting the engine neither loads the
// sound-server client libraries nor connects to a sound server.
#include <cstddef>
#include <cstdint>

extern "C" {

struct audio_object;

__attribute__((visibility("hidden"))) audio_object *create_audio_device_object(const char *, const char *, const char *)
{
    return nullptr;
}

__attribute__((visibility("hidden"))) int audio_object_open(audio_object *, int, std::uint32_t, std::uint8_t)
{
    return -1;
}

__attribute__((visibility("hidden"))) void audio_object_close(audio_object *) {}

__attribute__((visibility("hidden"))) void audio_object_destroy(audio_object *) {}

__attribute__((visibility("hidden"))) int audio_object_write(audio_object *, const void *, std::size_t)
{
    return -1;
}

__attribute__((visibility("hidden"))) int audio_object_drain(audio_object *)
{
    return 0;
}

__attribute__((visibility("hidden"))) int audio_object_flush(audio_object *)
{
    return 0;
}

__attribute__((visibility("hidden"))) const char *audio_object_strerror(audio_object *, int)
{
    return "no sound output in the speech engine";
}
}
