// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Reads a text file the user brings into the text box's form: GBK bytes with CR LF line breaks.
// A file that starts with a UTF-8 or UTF-16 (LE or BE) byte order mark, or that is valid UTF-8
// with at least one non-ASCII byte, is converted; anything else is taken as GBK bytes. The text
// ends at its end marker (00 or 1A outside a double-byte character), looked for after the
// conversion. Only as much of the file is read as limit bytes of the result can need, so a huge
// file costs no more than a small one; the caller cuts the result to its limit.
// Nothing when the path is not a regular file or cannot be opened or read.
std::optional<QByteArray> read_text_file(const QString &path, qsizetype limit);
