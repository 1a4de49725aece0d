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

SynthesisOptions read_synthesis_options(const Controls &controls, const VoiceCatalogue &voices)
{
    SynthesisOptions options;
    options.engine_type = controls.engine_type->currentIndex();
    options.voice = controls.voice->currentIndex();
    options.speed = controls.speed->currentIndex();
    options.volume = controls.volume->currentIndex();
    options.background = controls.background->currentIndex();
    options.numbers = controls.numbers->currentIndex();
    options.text_encoding = controls.text_encoding->currentIndex();
    options.text_type = controls.text_type->currentIndex();
    options.audio_format = controls.audio_format->currentIndex();
    options.audio_encoding = controls.audio_encoding->currentIndex();
    options.compression = controls.compression->currentIndex();

    options.voice_id = voices.selected_voice_id();
    options.text_encoding_text = selected_text(controls.text_encoding);
    options.audio_encoding_text = selected_text(controls.audio_encoding);
    options.compression_text = selected_text(controls.compression);
    options.audio_format_text = selected_text(controls.audio_format);
    return options;
}
