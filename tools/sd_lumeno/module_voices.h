// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>

// The engine's voices as Speech Dispatcher sees them: a language tag and a voice type
// (male1..3, female1..3, child_male, child_female), and the choice of a voice from what a
// client asks for.
struct ModuleVoice {
    QByteArray id;       // the engine's voice id, also the synthesis voice name
    QByteArray language; // zh, yue, zh-tw, en, fr, ...
    QByteArray type;     // male1, female2, child_female, ...
};

// Every voice of the voice table, in its order.
const QList<ModuleVoice> &module_voices();

// The voice for a request: a synthesis voice named by its id wins; otherwise the voices of the
// language (zh and unknown languages: Mandarin; zh-yue, yue, zh-hk: Cantonese; en-*: English)
// are searched for the voice type, the first of them taken when none has it. Letter case of
// language and type does not matter.
QByteArray choose_voice(const QByteArray &synthesis_voice, const QByteArray &language, const QByteArray &type);

// The language tag a client's language names, as the voices carry it ("zh-CN" gives "zh").
QByteArray voice_language(const QByteArray &language);
