// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

// The two parts of a WAV file that playing it needs, as views into the caller's bytes.
struct WavParts {
    QByteArrayView format; // payload of the "fmt " chunk
    QByteArrayView data;   // payload of the "data" chunk, cut to the bytes present
};

// Accepts RIFF/WAVE bytes with a "fmt " chunk and a non-empty "data" chunk. Chunk sizes are
// trusted only as far as the bytes go: a chunk that claims more than is there yields what is
// there, and the walk never reads past the end.
std::optional<WavParts> read_wav_parts(const QByteArray &wav);
