// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Whole reads and writes on file descriptors: files, and the pipes between lumeno-say and its
// workers. A signal that interrupts a read ends it with false (EINTR) when stop_on_signal is
// set, so an interrupt is noticed at once.
namespace fd_io {

bool write_all(int fd, QByteArrayView bytes);
// The same, for files: 0 when all was written, else the system's reason (ENOSPC when the
// system took nothing more without one).
int write_all_or_reason(int fd, QByteArrayView bytes);
// Exactly size bytes into out; false at the end of the stream or on an error.
bool read_exact(int fd, char *out, qsizetype size, bool stop_on_signal = true);
// Up to max bytes: their number, 0 at the end of the stream, negative on an error.
qsizetype read_some(int fd, char *out, qsizetype max, bool stop_on_signal = true);

} // namespace fd_io
