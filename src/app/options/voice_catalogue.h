#pragma once

#include "app/controls.h"

#include <QByteArray>

struct ProcessState;

// Fills the voice list with the voices of the selected engine type and keeps the process's
// voice list parallel to its items, so a selected position always has its voice id.
class VoiceCatalogue final {
public:
    VoiceCatalogue(const Controls &controls, ProcessState &state);

    // Rebuilds the voice list for the current engine type and selects its first voice; with
    // no engine type selected the list stays empty, without selection.
    void fill_voice_list();

    // The voice id of the selected voice (GBK); empty when no voice is selected.
    QByteArray selected_voice_id() const;

private:
    const Controls &m_controls;
    ProcessState &m_state;
};
