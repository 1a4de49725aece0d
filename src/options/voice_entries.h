// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace voices {
struct VoiceRecord;
}

// One voice of the voice list: what the list shows and the id the engine is given.
struct VoiceEntry {
    QByteArray display_text; // GBK, name + "(" + description + ")"
    QByteArray voice_id;     // GBK, letter case significant
};

// How a voice is shown wherever a person picks it: name + "(" + description + ")", the
// description's brackets kept.
QString voice_display_text(const voices::VoiceRecord &voice);

// The voices of the engine type at this position of the engine type list, in list order, as
// the voice list shows them (voice_display_text).
// Any position outside the list, -1 included, has no voices.
QList<VoiceEntry> voice_entries(int engine_type);
