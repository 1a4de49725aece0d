// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/engine_text.h"

#include "platform/gbk.h"

#include <QList>
#include <QStringEncoder>

std::optional<QByteArray> encode_for_engine(QByteArrayView gbk_text, QByteArrayView text_encoding)
{
    const auto named = [text_encoding](const char *name) { return text_encoding == QByteArrayView(name); };
    std::optional<QStringEncoder> encoder;
    if (named("UNICODE"))
        encoder.emplace(QStringConverter::Utf16LE);
    else if (named("UTF8"))
        encoder.emplace(QStringConverter::Utf8);
    else if (named("BIG5"))
        encoder.emplace("Big5");
    else
        return gbk_text.toByteArray();
    if (!encoder->isValid())
        return std::nullopt;
    QByteArray out = encoder->encode(gbk::decode(gbk_text));
    if (encoder->hasError())
        return std::nullopt;
    return out;
}

QByteArray announced_text_encoding(QByteArrayView params)
{
    for (const QByteArray &pair : params.toByteArray().split(',')) {
        if (pair.startsWith("tte="))
            return pair.sliced(4);
    }
    return {};
}
