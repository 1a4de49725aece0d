// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/run/synthesis_options.h"

#include "app/options/voice_catalogue.h"
#include "platform/gbk.h"

#include <QComboBox>

namespace {

// currentText() is empty for a list without selection, which is what the text then carries.
QByteArray selected_text(const QComboBox *list)
{
    return gbk::encode(list->currentText());
}

} // namespace

SynthesisOptions read_synthesis_options(const OptionBoxes &boxes, const VoiceCatalogue &voices)
{
    SynthesisOptions options;
    options.engine_type = boxes.engine_type->currentIndex();
    options.voice = boxes.voice->currentIndex();
    options.speed = boxes.speed->currentIndex();
    options.volume = boxes.volume->currentIndex();
    options.background = boxes.background->currentIndex();
    options.numbers = boxes.numbers->currentIndex();
    options.text_encoding = boxes.text_encoding->currentIndex();
    options.text_type = boxes.text_type->currentIndex();
    options.audio_format = boxes.audio_format->currentIndex();
    options.audio_encoding = boxes.audio_encoding->currentIndex();
    options.compression = boxes.compression->currentIndex();

    options.voice_id = voices.selected_voice_id();
    options.text_encoding_text = selected_text(boxes.text_encoding);
    options.audio_encoding_text = selected_text(boxes.audio_encoding);
    options.compression_text = selected_text(boxes.compression);
    options.audio_format_text = selected_text(boxes.audio_format);
    return options;
}
