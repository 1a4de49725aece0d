// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>

// Replaces the file at path by bytes, or leaves it as it was: the bytes go to a file beside it,
// which takes the old one's place only once everything is written. False when that failed,
// with errno telling why.
//
// A path that names something other than a regular file is never replaced: a device or a pipe
// is written into, as any Unix tool does (a pipe without a reader fails at once instead of
// waiting for one), and a folder is refused.
//
// Durable flushes the new file to disk before it takes the old one's place, so that not even a
// power cut leaves a torn file under the name: for what a user keeps. Unflushed skips that
// wait (several milliseconds a file here) for copies that are compared with what they must
// hold at every use and written again when they differ.
enum class FileSync { Durable, Unflushed };

bool replace_file(const QString &path, QByteArrayView bytes, FileSync sync = FileSync::Durable);
