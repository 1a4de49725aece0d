// SPDX-License-Identifier: GPL-3.0-or-later
#include "message_document.h"

#include "module_voices.h"
#include "platform/gbk.h"
#include "punctuation_names.h"
#include "speech_settings.h"

namespace {

struct Tag {
    qsizetype begin = 0;
    qsizetype end = 0; // one past '>'
    QByteArray name;   // without '/' for an end tag
    bool closing = false;
    bool empty = false;   // <x/>
    bool special = false; // comment, declaration, processing instruction
};

Tag read_tag(QByteArrayView text, qsizetype begin)
{
    Tag tag;
    tag.begin = begin;
    const qsizetype close = text.indexOf('>', begin);
    tag.end = close < 0 ? text.size() : close + 1;
    const QByteArrayView inner = text.sliced(begin + 1, tag.end - begin - (close < 0 ? 1 : 2));
    if (inner.startsWith('!') || inner.startsWith('?')) {
        tag.special = true;
        return tag;
    }
    tag.closing = inner.startsWith('/');
    tag.empty = inner.endsWith('/');
    qsizetype at = tag.closing ? 1 : 0;
    while (at < inner.size() && inner[at] != ' ' && inner[at] != '/' && inner[at] != '\t' && inner[at] != '\n')
        tag.name += inner[at++];
    return tag;
}

QByteArray attribute(QByteArrayView tag, QByteArrayView name)
{
    qsizetype at = tag.indexOf(name);
    while (at > 0) {
        qsizetype i = at + name.size();
        while (i < tag.size() && tag[i] == ' ')
            ++i;
        if (i < tag.size() && tag[i] == '=') {
            ++i;
            while (i < tag.size() && tag[i] == ' ')
                ++i;
            if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
                const qsizetype end = tag.indexOf(tag[i], i + 1);
                if (end > i)
                    return QByteArray(tag.data() + i + 1, end - i - 1);
            }
        }
        at = tag.indexOf(name, at + 1);
    }
    return {};
}

QByteArray closers(const QList<Tag> &open)
{
    QByteArray text;
    for (qsizetype i = open.size() - 1; i >= 0; --i)
        text += "</" + open[i].name + '>';
    return text;
}

bool speaks_chinese(const QByteArray &voice_id)
{
    for (const ModuleVoice &voice : module_voices()) {
        if (voice.id == voice_id)
            return voice.language == "zh" || voice.language == "yue" || voice.language == "zh-tw";
    }
    return true;
}

QByteArray plain_text(MessageKind kind, QByteArrayView data, const SpeechSettings &settings)
{
    QByteArray text(data.data(), data.size());
    if (kind == MessageKind::Key || kind == MessageKind::SoundIcon)
        text.replace('_', ' ').replace('-', ' '); // shift_a, kp-enter
    const bool capital = kind == MessageKind::Char && text.size() == 1 && text[0] >= 'A' && text[0] <= 'Z';
    QByteArray document = escape_markup(text);
    if (capital && settings.capitals_spelled())
        document.prepend(speaks_chinese(settings.voice()) ? "大写 " : "capital ");
    return document;
}

} // namespace

QByteArray escape_markup(QByteArrayView text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

QByteArray message_document(MessageKind kind, QByteArrayView data, const SpeechSettings &settings)
{
    QByteArray document =
        kind == MessageKind::Text ? QByteArray(data.data(), data.size()) : plain_text(kind, data, settings);
    // A punctuation mark read as a character is always named: alone it would be silence.
    if (kind == MessageKind::Text || kind == MessageKind::Char)
        document =
            name_punctuation(document, kind == MessageKind::Char ? QByteArrayView("all") : settings.punctuation(),
                             speaks_chinese(settings.voice()));
    qsizetype root = document.indexOf("<speak");
    if (root < 0) {
        document = "<speak>" + document + "</speak>";
        root = 0;
    }
    const qsizetype content = document.indexOf('>', root) + 1;
    qsizetype end = document.lastIndexOf("</speak>");
    if (content <= 0 || end < content)
        end = document.size();
    QByteArray opening;
    QByteArray closing;
    if (settings.pitch() != 0) {
        // -100..100 onto half an octave down to half an octave up.
        opening += "<prosody pitch=\"" + QByteArray(settings.pitch() > 0 ? "+" : "")
                   + QByteArray::number(settings.pitch() / 2) + "%\">";
        closing.prepend("</prosody>");
    }
    if (settings.spelling() && kind == MessageKind::Text) {
        opening += "<say-as interpret-as=\"characters\">";
        closing.prepend("</say-as>");
    }
    document.insert(end, closing);
    document.insert(content, opening);
    return document;
}

QList<SpeechPart> split_at_marks(QByteArrayView ssml)
{
    QList<SpeechPart> parts;
    QList<Tag> open;
    QByteArray current;
    qsizetype at = 0;
    while (at < ssml.size()) {
        const qsizetype lt = ssml.indexOf('<', at);
        if (lt < 0) {
            current += ssml.sliced(at);
            break;
        }
        current += ssml.sliced(at, lt - at);
        Tag tag = read_tag(ssml, lt);
        const QByteArrayView raw = ssml.sliced(tag.begin, tag.end - tag.begin);
        at = tag.end;
        if (tag.name == "mark") {
            if (!tag.closing) {
                parts.append({current + closers(open), attribute(raw, "name")});
                current.clear();
                for (const Tag &o : open)
                    current += ssml.sliced(o.begin, o.end - o.begin);
            }
            continue;
        }
        current += raw;
        if (tag.special || tag.empty)
            continue;
        if (!tag.closing)
            open.append(tag);
        else if (!open.isEmpty() && open.last().name == tag.name)
            open.removeLast();
    }
    parts.append({current + closers(open), {}});
    return parts;
}

QByteArray remove_marks(QByteArrayView ssml)
{
    QByteArray out;
    out.reserve(ssml.size());
    qsizetype at = 0;
    while (at < ssml.size()) {
        const qsizetype lt = ssml.indexOf('<', at);
        if (lt < 0) {
            out += ssml.sliced(at);
            break;
        }
        out += ssml.sliced(at, lt - at);
        const Tag tag = read_tag(ssml, lt);
        if (tag.name != "mark")
            out += ssml.sliced(lt, tag.end - lt);
        at = tag.end;
    }
    return out;
}

qsizetype spoken_weight(QByteArrayView gbk_ssml)
{
    qsizetype weight = 0;
    bool in_tag = false;
    for (qsizetype i = 0; i < gbk_ssml.size();) {
        const char c = gbk_ssml[i];
        const qsizetype length = gbk::char_length(gbk_ssml, i);
        if (c == '<')
            in_tag = true;
        else if (c == '>')
            in_tag = false;
        else if (!in_tag && c != ' ' && c != '\n' && c != '\t' && c != '\r')
            ++weight;
        i += length;
    }
    return weight;
}
