// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A settings value is one line, so the line breaks of a stored text travel as a marker.

#include <QByteArray>
#include <QByteArrayView>

namespace line_breaks {

// Every CR LF pair becomes "><br><"; a lone CR or LF stays as it is.
QByteArray encode(QByteArrayView text);

// Every "><br><" becomes CR LF, including one the user typed: the marker is not escaped.
QByteArray decode(QByteArrayView value);

} // namespace line_breaks
