#pragma once

#include "options/voice_entries.h"

#include <QByteArray>
#include <QList>

// State that lives from process start to exit, created empty before the main window.
struct ProcessState {
    QByteArray version_text;
    QList<VoiceEntry> voice_list; // parallel to the items of the voice list
    QByteArray audio_buffer;      // the complete WAV of the last run that reached its end
};
