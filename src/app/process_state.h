#pragma once

#include <QByteArray>
#include <QList>

// One voice of the voice list: what the list shows and the id the engine is given.
struct VoiceEntry {
    QByteArray display_text; // GBK, name + "(" + description + ")"
    QByteArray voice_id;     // GBK, letter case significant
};

// State that lives from process start to exit, created empty before the main window.
struct ProcessState {
    QByteArray version_text;
    QList<VoiceEntry> voice_list; // parallel to the items of the voice list
    QByteArray audio_buffer;      // the complete WAV of the last run that reached its end
};

// The text box and the engine share one limit, in GBK bytes.
inline constexpr int kTextLimit = 2048;
