// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/options/voice_catalogue.h"

#include "app/options/list_selection.h"
#include "platform/gbk.h"

#include <QComboBox>

VoiceCatalogue::VoiceCatalogue(const OptionBoxes &boxes)
    : m_boxes(boxes)
{
}

void VoiceCatalogue::fill_voice_list()
{
    QComboBox *list = m_boxes.voice;
    list->clear();
    m_voice_list.clear();
    for (const VoiceEntry &entry : voice_entries(m_boxes.engine_type->currentIndex())) {
        list->addItem(gbk::decode(entry.display_text));
        m_voice_list.append(entry);
    }
    select_by_position(list, 0);
}

QByteArray VoiceCatalogue::selected_voice_id() const
{
    const int position = m_boxes.voice->currentIndex();
    if (position < 0 || position >= m_voice_list.size())
        return {};
    return m_voice_list.at(position).voice_id;
}
