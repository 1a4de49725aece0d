// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech_settings.h"

#include "module_voices.h"

#include <QList>

namespace {

bool number_in_range(QByteArrayView text, int &out)
{
    bool ok = false;
    const int value = QByteArray(text.data(), text.size()).toInt(&ok);
    if (!ok || value < -100 || value > 100)
        return false;
    out = value;
    return true;
}

bool one_of(QByteArrayView value, std::initializer_list<const char *> allowed, QByteArray &out)
{
    for (const char *word : allowed) {
        if (value == QByteArrayView(word)) {
            out = QByteArray(value.data(), value.size());
            return true;
        }
    }
    return false;
}

} // namespace

bool SpeechSettings::apply(QByteArrayView line)
{
    const qsizetype equals = line.indexOf('=');
    if (equals <= 0)
        return false;
    const QByteArrayView name = line.first(equals);
    const QByteArrayView value = line.sliced(equals + 1);
    const bool unset = value == QByteArrayView("NULL");
    if (name == QByteArrayView("rate"))
        return number_in_range(value, m_rate);
    if (name == QByteArrayView("pitch"))
        return number_in_range(value, m_pitch);
    if (name == QByteArrayView("volume"))
        return number_in_range(value, m_volume);
    if (name == QByteArrayView("pitch_range")) {
        int ignored = 0; // the engine has no control for it
        return number_in_range(value, ignored);
    }
    if (name == QByteArrayView("punctuation_mode"))
        return unset || one_of(value, {"none", "some", "most", "all"}, m_punctuation);
    if (name == QByteArrayView("cap_let_recogn"))
        return unset || one_of(value, {"none", "spell", "icon"}, m_capitals);
    if (name == QByteArrayView("spelling_mode")) {
        QByteArray word;
        if (unset || !one_of(value, {"on", "off"}, word))
            return unset;
        m_spelling = word == "on";
        return true;
    }
    QByteArray *text = name == QByteArrayView("voice")             ? &m_type
                       : name == QByteArrayView("language")        ? &m_language
                       : name == QByteArrayView("synthesis_voice") ? &m_synthesis_voice
                                                                   : nullptr;
    if (text == nullptr)
        return false;
    *text = unset ? QByteArray() : QByteArray(value.data(), value.size());
    return true;
}

QByteArray SpeechSettings::voice() const
{
    return choose_voice(m_synthesis_voice, m_language, m_type);
}

QByteArray SpeechSettings::session_params() const
{
    // GB18030 is what the module hands over: every character Speech Dispatcher sends survives.
    return "ssm=1,vcn=" + voice() + ",spd=" + QByteArray::number(engine_scale(m_rate)) + ",vol="
           + QByteArray::number(engine_scale(m_volume)) + ",ttp=ssml,tte=GB18030,bgs=0,aue=raw,auf=audio/L16;rate="
           + QByteArray::number(kAudioFormat.rate) + ",rdn=0";
}
