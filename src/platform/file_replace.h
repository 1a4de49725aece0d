#pragma once

#include <QByteArrayView>
#include <QString>

// Replaces the file at path by bytes, or leaves it as it was: the bytes go to a file beside it,
// which takes the old one's place only once everything is written. False when that failed.
bool replace_file(const QString &path, QByteArrayView bytes);
