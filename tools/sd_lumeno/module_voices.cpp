// SPDX-License-Identifier: GPL-3.0-or-later
#include "module_voices.h"

#include "voices/voice_table.h"

#include <QHash>
#include <cstring>

namespace {

// Dialect and foreign voices name their language in the description's brackets.
QByteArray language_of(const voices::VoiceRecord &voice, int engine_type)
{
    static const QHash<QByteArray, QByteArray> bracketed = {
        {"粤语", "yue"},    {"台普", "zh-tw"},  {"法语", "fr"},   {"维吾尔语", "ug"},
        {"俄罗斯语", "ru"}, {"西班牙语", "es"}, {"印地语", "hi"}, {"越南语", "vi"},
    };
    const QByteArray description(voice.description);
    const qsizetype open = description.indexOf('[');
    if (open >= 0) {
        const QByteArray inner = description.mid(open + 1, description.indexOf(']') - open - 1);
        // Mandarin dialects (Sichuan, Henan ...) are read as Mandarin.
        return bracketed.value(inner, "zh");
    }
    return engine_type == 1 ? QByteArray("en") : QByteArray("zh");
}

QByteArray kind_of(const voices::VoiceRecord &voice)
{
    const QByteArray description(voice.description);
    if (description.contains("少女童声"))
        return "child_female";
    if (description.contains("童声") || std::strcmp(voice.id, "aisxxin") == 0)
        return "child_male";
    if (description.contains("男声") || std::strcmp(voice.id, "aisDuck") == 0)
        return "male";
    return "female";
}

QList<ModuleVoice> build()
{
    QList<ModuleVoice> list;
    QHash<QByteArray, int> seen; // language + kind -> voices so far
    const auto types = voices::engine_types();
    for (std::size_t t = 0; t < types.size(); ++t) {
        for (const voices::VoiceRecord &voice : types[t].voices) {
            const QByteArray language = language_of(voice, static_cast<int>(t));
            const QByteArray kind = kind_of(voice);
            const int n = ++seen[language + '/' + kind];
            // Speech Dispatcher knows three voices of each sex; later ones share the third.
            const QByteArray type = kind.startsWith("child") ? kind : kind + QByteArray::number(std::min(n, 3));
            list.append({QByteArray(voice.id), language, type});
        }
    }
    return list;
}

} // namespace

const QList<ModuleVoice> &module_voices()
{
    static const QList<ModuleVoice> list = build();
    return list;
}

QByteArray voice_language(const QByteArray &language)
{
    const QByteArray tag = language.toLower().replace('_', '-');
    if (tag == "yue" || tag.startsWith("yue-") || tag == "zh-yue" || tag == "zh-hk" || tag == "zh-mo")
        return "yue";
    if (tag == "zh-tw")
        return "zh-tw";
    const QByteArray primary = tag.left(tag.indexOf('-') < 0 ? tag.size() : tag.indexOf('-'));
    for (const ModuleVoice &voice : module_voices()) {
        if (voice.language == primary)
            return primary;
    }
    return "zh"; // cmn, zh-cn, zh-sg and languages without a voice of their own
}

QByteArray choose_voice(const QByteArray &synthesis_voice, const QByteArray &language, const QByteArray &type)
{
    const QList<ModuleVoice> &all = module_voices();
    for (const ModuleVoice &voice : all) {
        if (voice.id == synthesis_voice)
            return voice.id;
    }
    const QByteArray wanted = voice_language(language);
    const QByteArray wanted_type = type.toLower();
    const ModuleVoice *first = nullptr;
    const ModuleVoice *same_sex = nullptr;
    for (const ModuleVoice &voice : all) {
        if (voice.language != wanted)
            continue;
        if (voice.type == wanted_type)
            return voice.id;
        if (first == nullptr)
            first = &voice;
        // male3 asked, only male1 there: a voice of the same sex beats the first voice.
        if (same_sex == nullptr && !wanted_type.isEmpty() && voice.type.chopped(1) == wanted_type.chopped(1))
            same_sex = &voice;
    }
    if (same_sex != nullptr)
        return same_sex->id;
    return first != nullptr ? first->id : all.first().id;
}
