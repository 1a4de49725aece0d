#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Reads a text file as raw GBK bytes, up to its end marker (00 or 1A outside a double-byte
// character). At most max_bytes are read: a caller that cuts the text to a limit passes a
// little more than the limit, so a huge file costs no more than a small one.
// Nothing when the file cannot be opened or read.
std::optional<QByteArray> read_text_file(const QString &path, qsizetype max_bytes);
