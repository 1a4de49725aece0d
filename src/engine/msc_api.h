// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "qtts.h"

// The six operations of the engine library, resolved together when the library is loaded,
// and its optional reading preview, typed by the engine's own header.
// Texts are GBK byte strings; results are 0 on success.
struct MscApi {
    QTTSInitFunc init = nullptr;
    QTTSSessionBeginFunc session_begin = nullptr;
    QTTSTextPutFunc text_put = nullptr;
    QTTSAudioGetFunc audio_get = nullptr;
    QTTSSessionEndFunc session_end = nullptr;
    QTTSFiniFunc fini = nullptr;
    // The reading preview; optional, null for an engine without it.
    QTTSTextReadingFunc text_reading = nullptr;
};
