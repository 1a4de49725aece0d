// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/tts_engine.h"

#include <QByteArray>

// lumeno-say --reading: prints the engine's reading of a GBK text as one UTF-8 line. Returns 0,
// or the exit code after a message on standard error (an engine without the preview, a text
// it refused).
int print_reading(TtsEngine &engine, const QByteArray &params, const QByteArray &text);
