// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/tts_engine.h"

// The engine library and its codec as carried inside the program (embedded at build time).
EngineImages carried_engine_images();
