// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

// How the tool and its worker processes talk over two pipes. The tool sends batches of text
// pieces, each batch as a 32-bit length and the GBK pieces separated by kPieceSeparator (text
// never holds a NUL). A worker answers every piece, in the order they came, with audio frames
// (a positive 32-bit length and that many PCM bytes) and one end frame (length 0 and the
// engine's 32-bit result, 0 for success); after a failed piece its batch says no more.
// Numbers are little-endian.
namespace piece_protocol {

QByteArray piece_frame(QByteArrayView text);
QByteArray audio_frame(QByteArrayView audio);
QByteArray end_frame(qint32 result);

// Reads the next piece from fd: false at the end of the stream or when it is broken.
bool read_piece(int fd, QByteArray &text);

enum class Reply {
    Audio,  // audio holds the next bytes of the piece
    End,    // the piece is complete; result holds the engine's result
    Broken, // the worker died or sent nonsense (or a signal interrupted the read)
};
Reply read_reply(int fd, QByteArray &audio, qint32 &result);

inline constexpr char kPieceSeparator = '\0';
// Engine pieces one worker process speaks from one fresh start. Starting an engine costs
// about as much as speaking a tenth of a piece; batches are fixed by the text alone, so the
// audio stays the same whatever the number of workers.
inline constexpr int kPiecesPerBatch = 4;

// Longest piece or audio frame a reader accepts.
inline constexpr qint32 kMaxFrame = 16 * 1024 * 1024;

} // namespace piece_protocol
