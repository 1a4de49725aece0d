// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Ctrl-C, kill and a hang-up: the first interrupt asks the job to stop. System calls the signal
// lands in end with EINTR instead of resuming, so a blocked read notices at once.
namespace interrupt {

void install();
bool requested();
// Readable once an interrupt has come (-1 before install()). A wait that polls it with its own
// descriptors cannot miss a signal that lands just before the wait begins.
int wake_fd();

} // namespace interrupt
