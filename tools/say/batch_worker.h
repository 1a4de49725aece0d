// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class TtsEngine;

// The worker side of parallel synthesis: reads batches from standard input and answers each
// piece on standard output (see batch_protocol.h) until the input ends. Returns the process's
// exit code.
//
// espeak-ng carries state from one text to the next (the same sentence comes out up to 1 %
// longer or shorter depending on what was spoken before), and that state cannot be reset
// within a process. So every batch is spoken by a child forked before the engine starts: each
// begins from the same fresh start, and the joined audio is the same bytes whichever worker
// spoke which batch and however many workers there are.
int run_batch_worker(TtsEngine &engine, const QByteArray &params);

// The hidden first argument that makes a copy of the tool a worker.
inline constexpr char kBatchWorkerFlag[] = "--batch-worker";
// A worker's arguments: the flag, the engine library the tool placed (the worker loads it from
// there and deploys nothing; empty: the platform's search) and the session parameters.
QStringList batch_worker_arguments(const QString &engine_library, const QByteArray &params);
