// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/audio_sink.h"
#include "platform/pcm_format.h"
#include "platform/pending_file.h"

#include <QString>

// A WAV file written as the audio comes: the header's sizes are filled in at the end. The
// 32-bit sizes cap the audio at kMaxData bytes; audio beyond that is refused (and the file
// dropped) rather than written with a header that lies.
class WavStream final : public AudioSink {
public:
    static constexpr qint64 kMaxData = 0xFFFFFFFFLL - 36;

    WavStream(const QString &target, const PcmFormat &format, qint64 max_data = kMaxData);

    bool write(QByteArrayView pcm) override;
    bool finish() override;
    ~WavStream() override;

private:
    bool failed_with(int reason);

    PendingFile m_pending;
    QString m_target;
    int m_fd = -1;
    PcmFormat m_format;
    qint64 m_max_data;
    qint64 m_data = 0;
    bool m_open = false;
};
