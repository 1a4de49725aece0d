// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/pcm_format.h"

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <mutex>

// Everything the module says to Speech Dispatcher goes through one writer, so replies, events
// and audio blocks never interleave. Audio passes a gate: stop() closes it under the same lock
// the audio is written under, so once stop() has returned no further audio reaches the server.
class ModuleOutput final {
public:
    explicit ModuleOutput(int fd);

    // Writes the lines, each followed by a line feed.
    bool say(QByteArrayView line);
    bool say(QByteArrayView first, QByteArrayView second);

    // Opens the gate for a new utterance; its token lets that utterance's audio through.
    std::uint64_t open_audio();
    void close_audio();
    // Writes the linear PCM, little-endian, in blocks when the gate is still open for this token.
    // False when the gate is closed or the server is gone.
    bool audio(std::uint64_t token, QByteArrayView pcm, const PcmFormat &format);

    // The server has closed its end.
    bool broken() const;

    // Audio is handed over in blocks of at most this many bytes, so a STOP is never stuck
    // behind a long block.
    static constexpr qsizetype kMaxBlock = 8000;

    // The block that carries PCM to the server: a header of 705- lines, the samples with line
    // feeds and the escape byte 0x7D escaped (0x7D, then the byte with bit 5 inverted), and
    // the closing line.
    static QByteArray audio_block(QByteArrayView pcm, const PcmFormat &format);

private:
    bool write_all(QByteArrayView bytes);

    mutable std::mutex m_mutex;
    int m_fd;
    std::uint64_t m_open = 0; // the token audio may carry; 0: closed
    std::uint64_t m_last = 0;
    bool m_broken = false;
};
