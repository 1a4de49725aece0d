// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/line_breaks.h"

#include "platform/gbk.h"

namespace {

constexpr QByteArrayView kLineBreak = "\r\n";
constexpr QByteArrayView kMarker = "><br><";

} // namespace

namespace line_breaks {

QByteArray encode(QByteArrayView text)
{
    return gbk::replace_all(text, kLineBreak, kMarker);
}

QByteArray decode(QByteArrayView value)
{
    return gbk::replace_all(value, kMarker, kLineBreak);
}

} // namespace line_breaks
