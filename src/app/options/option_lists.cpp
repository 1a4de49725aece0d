// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/options/option_lists.h"

#include "app/options/list_selection.h"
#include "app/options/voice_catalogue.h"
#include "platform/gbk.h"

#include <QComboBox>

using option_tables::FixedList;

OptionLists::OptionLists(const OptionBoxes &boxes, VoiceCatalogue &voices)
    : m_boxes(boxes)
    , m_voices(voices)
{
}

QComboBox *OptionLists::list(FixedList which) const
{
    switch (which) {
    case FixedList::EngineType:
        return m_boxes.engine_type;
    case FixedList::Speed:
        return m_boxes.speed;
    case FixedList::Volume:
        return m_boxes.volume;
    case FixedList::TextType:
        return m_boxes.text_type;
    case FixedList::TextEncoding:
        return m_boxes.text_encoding;
    case FixedList::Numbers:
        return m_boxes.numbers;
    case FixedList::Background:
        return m_boxes.background;
    case FixedList::AudioEncoding:
        return m_boxes.audio_encoding;
    case FixedList::AudioFormat:
        return m_boxes.audio_format;
    }
    return nullptr;
}

void OptionLists::fill_fixed_items()
{
    for (FixedList which : option_tables::kFillOrder)
        list(which)->addItems(option_tables::items(which));
    restore_defaults();
}

void OptionLists::rebuild_dependent_lists()
{
    // The voice and level positions the settings restored give way to the first voice and the
    // encoding's default level.
    m_voices.fill_voice_list();
    fill_compression_levels();
}

void OptionLists::restore_defaults()
{
    using namespace option_tables;
    select_by_position(m_boxes.engine_type, kDefaultEngineType);
    select_by_text(m_boxes.speed, kDefaultSpeed.toString());
    select_by_text(m_boxes.volume, kDefaultVolume.toString());
    select_by_position(m_boxes.text_type, kDefaultTextType);
    select_by_position(m_boxes.numbers, kDefaultNumbers);
    select_by_text(m_boxes.text_encoding, kDefaultTextEncoding.toString());
    select_by_position(m_boxes.background, kDefaultBackground);
    select_by_text(m_boxes.audio_encoding, kDefaultAudioEncoding.toString());
    select_by_text(m_boxes.audio_format, kDefaultAudioFormat.toString());
    m_voices.fill_voice_list();
    fill_compression_levels();
}

void OptionLists::fill_compression_levels()
{
    QComboBox *levels = m_boxes.compression;
    levels->clear();
    const option_tables::CompressionLevels offered =
        option_tables::compression_levels(gbk::encode(m_boxes.audio_encoding->currentText()));
    levels->addItems(offered.items);
    // Adding to an empty list selects its first item; the encoding's default must win, and
    // no default means no selection.
    if (offered.selected.isEmpty() || !select_by_text(levels, offered.selected))
        select_by_position(levels, -1);
}
