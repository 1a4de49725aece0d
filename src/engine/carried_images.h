#pragma once

#include "engine/tts_engine.h"

// The engine library and its codec as carried inside the program (embedded at build time).
EngineImages carried_engine_images();
