// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/options/option_boxes.h"
#include "options/voice_entries.h"

#include <QByteArray>
#include <QList>

// Fills the voice list with the voices of the selected engine type and keeps its entries
// parallel to the items, so a selected position always has its voice id.
class VoiceCatalogue final {
public:
    explicit VoiceCatalogue(const OptionBoxes &boxes); // reads the engine type, fills the voices

    // Rebuilds the voice list for the current engine type and selects its first voice; with
    // no engine type selected the list stays empty, without selection.
    void fill_voice_list();

    // The voice id of the selected voice (GBK); empty when no voice is selected.
    QByteArray selected_voice_id() const;
    // The entries behind the list's items, in item order.
    const QList<VoiceEntry> &voice_list() const { return m_voice_list; }

private:
    const OptionBoxes &m_boxes;
    QList<VoiceEntry> m_voice_list;
};
