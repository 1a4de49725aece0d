// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

class TtsEngine;

// The worker side of parallel synthesis: reads pieces from standard input and answers each on
// standard output (see piece_protocol.h) until the input ends. Returns the process's exit code.
//
// espeak-ng carries state from one text to the next (the same sentence comes out up to 1 %
// longer or shorter depending on what was spoken before), and that state cannot be reset
// within a process. So every batch of pieces is spoken by a child forked before the engine
// starts: each begins from the same fresh state, and the joined audio is the same bytes
// whichever worker spoke which batch and however many workers there are.
int run_piece_worker(TtsEngine &engine, const QByteArray &params);
