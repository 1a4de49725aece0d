// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

class SpeechSettings;

// What a SPEAK, CHAR, KEY or SOUND_ICON message becomes before it is spoken: one SSML
// document (UTF-8) with the settings the engine takes as markup, cut at its index marks.
enum class MessageKind { Text, Char, Key, SoundIcon };

// The document for a message. Text is SSML already (a text without a speak root is wrapped);
// the others are one line of plain text. Pitch becomes a prosody element around the content,
// spelling mode a say-as of characters around a text; a capital letter read as CHAR is announced when capital
// letters are to be spelled. Punctuation is named as the punctuation mode asks (always for CHAR).
QByteArray message_document(MessageKind kind, QByteArrayView data, const SpeechSettings &settings);

// A piece of a document and the index mark that follows it (empty for the last piece).
struct SpeechPart {
    QByteArray ssml; // a document of its own: the elements open at its start are reopened
    QByteArray mark;
};

// Cuts a document at its <mark name="..."/> elements. Each piece closes the elements still
// open at its end and the next reopens them, so every piece keeps its prosody and voice.
// Marks follow each other in document order; a document without marks is one piece.
QList<SpeechPart> split_at_marks(QByteArrayView ssml);

// The document without its mark elements: what the engine is given.
QByteArray remove_marks(QByteArrayView ssml);

// How much there is to hear in a GBK document: its characters outside markup, spaces left out.
// Marks are placed in a sentence's audio by this share of what stands before them.
qsizetype spoken_weight(QByteArrayView gbk_ssml);

// Markup characters of a plain text written as entities.
QByteArray escape_markup(QByteArrayView text);
