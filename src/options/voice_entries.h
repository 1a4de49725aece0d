#pragma once

#include "app/process_state.h"

#include <QList>

// The voices of the engine type at this position of the engine type list, in list order, as
// the voice list shows them: name + "(" + description + ")", description brackets kept.
// Any position outside the list, -1 included, has no voices.
QList<VoiceEntry> voice_entries(int engine_type);
