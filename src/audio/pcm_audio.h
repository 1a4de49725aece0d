// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/pcm_format.h"

#include <QByteArray>

// Speech as the engine made it: linear PCM bytes and the format they are in, kept together
// from the synthesis to the player and the saved file.
struct PcmAudio {
    PcmFormat format;
    QByteArray bytes;
};
