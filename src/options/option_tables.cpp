// SPDX-License-Identifier: GPL-3.0-or-later
#include "options/option_tables.h"

#include "voices/voice_table.h"

#include <initializer_list>

namespace option_tables {
namespace {

QStringList list_of(std::initializer_list<const char16_t *> texts)
{
    QStringList result;
    result.reserve(static_cast<qsizetype>(texts.size()));
    for (const char16_t *text : texts)
        result.append(QString::fromUtf16(text));
    return result;
}

QStringList numbers_up_to(int last)
{
    QStringList result;
    for (int n = 0; n <= last; ++n)
        result.append(QString::number(n));
    return result;
}

} // namespace

QStringList items(FixedList list)
{
    switch (list) {
    case FixedList::EngineType: {
        QStringList titles;
        for (const voices::EngineType &type : voices::engine_types())
            titles.append(QString::fromUtf8(type.title));
        return titles;
    }
    case FixedList::Speed:
        return list_of({u"最慢", u"较慢", u"正常", u"较快", u"最快"});
    case FixedList::Volume:
        return list_of({u"最低", u"较低", u"正常", u"较高", u"最高"});
    case FixedList::TextType:
        return list_of({u"普通", u"ssml"});
    case FixedList::TextEncoding:
        return list_of({u"AUTO", u"GB2312", u"GBK", u"BIG5", u"UNICODE", u"GB18030", u"UTF8"});
    case FixedList::Numbers:
        return list_of({u"数值优先", u"完全数值", u"完全字符串", u"字符串优先"});
    case FixedList::Background:
        return list_of({u"无", u"梁祝"});
    case FixedList::AudioEncoding:
        return list_of({u"raw", u"amr", u"amr-fx", u"amr-wb", u"amr-wb-fx", u"speex", u"speex-wb"});
    case FixedList::AudioFormat:
        return list_of({u"audio/L16;rate=8000", u"audio/L16;rate=16000"});
    }
    return {};
}

CompressionLevels compression_levels(QByteArrayView encoding_text)
{
    const QByteArrayView prefix = encoding_text.first(qMin<qsizetype>(3, encoding_text.size()));
    if (prefix == QByteArrayView("raw"))
        return {list_of({u"无压缩"}), QString::fromUtf16(u"无压缩")};
    if (prefix == QByteArrayView("amr"))
        return {numbers_up_to(7), QString::number(5)};
    if (prefix == QByteArrayView("spe"))
        return {numbers_up_to(10), QString::number(7)};
    return {};
}

} // namespace option_tables
