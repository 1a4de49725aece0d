// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

// How the tool and its worker processes talk over two pipes. The tool sends batches, each a
// 32-bit length and the batch's GBK pieces separated by kPieceSeparator (text never holds a
// NUL). A worker answers every piece of a batch, in the order they came, with audio frames (a
// positive 32-bit length and that many PCM bytes) and one end frame (length 0 and a 32-bit
// result: 0 for success or the engine's error); after a failed piece its batch says no more.
// Numbers are little-endian.
namespace batch_protocol {

QByteArray batch_frame(QByteArrayView pieces);
QByteArray audio_frame(QByteArrayView audio);
QByteArray end_frame(qint32 result);

// Reads the next batch from fd: false at the end of the stream or when it is broken.
bool read_batch(int fd, QByteArray &pieces);

enum class Reply {
    Audio,  // audio holds the next bytes of the piece
    End,    // the piece is complete; result holds its result
    Broken, // the worker died or sent nonsense (or a signal interrupted the read)
};
Reply read_reply(int fd, QByteArray &audio, qint32 &result);

inline constexpr char kPieceSeparator = '\0';
// Engine pieces one worker process speaks from one fresh start. Starting an engine costs
// about as much as speaking a tenth of a piece; batches are fixed by the text alone, so the
// audio stays the same whatever the number of workers.
inline constexpr int kPiecesPerBatch = 4;

// Longest batch or audio frame a reader accepts.
inline constexpr qint32 kMaxFrame = 16 * 1024 * 1024;

// When the process speaking a batch dies before the batch is complete (a crash in the engine,
// or killed), what it sent may end inside a frame, so its worker says no more: it exits with
// this status plus the number of the signal that ended the process (0: it exited by itself).
inline constexpr int kSpeakerDiedExit = 64;

} // namespace batch_protocol
