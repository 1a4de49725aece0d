// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/pending_file.h"

#include <QByteArrayView>
#include <QString>

// Replaces the file at path by bytes, or leaves it as it was, through a PendingFile (whose
// rules it follows). False when that failed, with errno telling why. A pipe without a reader
// fails at once instead of waiting for one: the window must not hang on it.
bool replace_file(const QString &path, QByteArrayView bytes, FileSync sync = FileSync::Durable);
