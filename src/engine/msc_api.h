#pragma once

// The six operations of the engine library, resolved together when the library is loaded,
// and its optional reading preview.
// Texts are GBK byte strings; results are 0 on success.
struct MscApi {
    int (*init)(const char *configs) = nullptr;
    const char *(*session_begin)(const char *params, int *error_code) = nullptr;
    int (*text_put)(const char *session_id, const char *text, unsigned int text_len, const char *params) = nullptr;
    const void *(*audio_get)(const char *session_id, unsigned int *audio_len, int *synth_status,
                             int *error_code) = nullptr;
    int (*session_end)(const char *session_id, const char *hints) = nullptr;
    int (*fini)() = nullptr;
    // The reading preview; optional, null for an engine without it.
    int (*text_reading)(const char *params, const char *text, unsigned int text_len, char *reading,
                        unsigned int *reading_len) = nullptr;
};

// Synthesis status written by audio_get: all audio has been delivered.
inline constexpr int kSynthDone = 2;
