// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The option lists with fixed items: the items in list order, the selections the defaults
// make, and the compression levels that belong to an audio encoding.

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>

namespace option_tables {

// The nine lists whose items never change, in the order the window is filled.
enum class FixedList {
    EngineType,
    Speed,
    Volume,
    TextType,
    TextEncoding,
    Numbers,
    Background,
    AudioEncoding,
    AudioFormat,
};

inline constexpr std::array kFillOrder{
    FixedList::EngineType, FixedList::Speed,         FixedList::Volume,
    FixedList::TextType,   FixedList::TextEncoding,  FixedList::Numbers,
    FixedList::Background, FixedList::AudioEncoding, FixedList::AudioFormat,
};

// The items of a list in list order. The engine types come from the voice table, so the two
// lists cannot disagree on what a position means.
QStringList items(FixedList list);

// Defaults: some lists are set by position, the others by item text.
inline constexpr int kDefaultEngineType = 0;
inline constexpr QStringView kDefaultSpeed = u"正常";
inline constexpr QStringView kDefaultVolume = u"正常";
inline constexpr int kDefaultTextType = 0;
inline constexpr int kDefaultNumbers = 0;
inline constexpr QStringView kDefaultTextEncoding = u"GB2312";
inline constexpr int kDefaultBackground = 0;
inline constexpr QStringView kDefaultAudioEncoding = u"speex";
inline constexpr QStringView kDefaultAudioFormat = u"audio/L16;rate=16000";

struct CompressionLevels {
    QStringList items;
    QString selected; // the item a rebuild selects; empty when the list stays without selection
};

// The levels offered for an audio encoding (its item text, GBK). Only the first three bytes
// count, so every amr and speex variant shares one list.
CompressionLevels compression_levels(QByteArrayView encoding_text);

} // namespace option_tables
