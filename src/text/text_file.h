// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Reads a text file the user brings into the text box's form: GBK bytes with CR LF line breaks.
// The encoding is told by detect_text_encoding (text_to_gbk.h); a Unicode file is converted, a
// GBK one kept as its bytes. The text ends at its first control character (00 and 1A included),
// looked for after the conversion. Only as much of the file is read as limit bytes of the result can need, so a huge
// file costs no more than a small one; the caller cuts the result to its limit.
// Nothing when the path is not a regular file or cannot be opened or read.
std::optional<QByteArray> read_text_file(const QString &path, qsizetype limit);
