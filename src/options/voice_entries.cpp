// SPDX-License-Identifier: GPL-3.0-or-later
#include "options/voice_entries.h"

#include "platform/gbk.h"
#include "voices/voice_table.h"

#include <QString>

QString voice_display_text(const voices::VoiceRecord &voice)
{
    return QString::fromUtf8(voice.name) + u'(' + QString::fromUtf8(voice.description) + u')';
}

QList<VoiceEntry> voice_entries(int engine_type)
{
    const auto types = voices::engine_types();
    if (engine_type < 0 || static_cast<std::size_t>(engine_type) >= types.size())
        return {};

    QList<VoiceEntry> entries;
    for (const voices::VoiceRecord &voice : types[static_cast<std::size_t>(engine_type)].voices)
        entries.append({gbk::encode(voice_display_text(voice)), QByteArray(voice.id)});
    return entries;
}
