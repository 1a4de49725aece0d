#pragma once

// Ctrl-C and kill: the first interrupt asks the job to stop. System calls the signal lands in
// end with EINTR instead of resuming, so a blocked read notices at once.
namespace interrupt {

void install();
bool requested();

} // namespace interrupt
