// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/encoded_stream.h"

#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <sndfile.h>
#include <vector>

namespace {

int sndfile_format(AudioFileKind kind)
{
    switch (kind) {
    case AudioFileKind::Mp3:
        return SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    case AudioFileKind::Vorbis:
        return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    case AudioFileKind::Opus:
        return SF_FORMAT_OGG | SF_FORMAT_OPUS;
    case AudioFileKind::Flac:
        return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    case AudioFileKind::Wav:
        break;
    }
    return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
}

// Speech needs far less than music: these give about 32 kbit/s MP3 and 24 kbit/s Opus at
// 16 kHz, clear speech at a quarter of the WAV's size or less.
int default_quality(AudioFileKind kind)
{
    return kind == AudioFileKind::Flac ? 10 : 4;
}

} // namespace

std::optional<AudioFileKind> audio_file_kind(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"wav")
        return AudioFileKind::Wav;
    if (suffix == u"mp3")
        return AudioFileKind::Mp3;
    if (suffix == u"ogg" || suffix == u"oga")
        return AudioFileKind::Vorbis;
    if (suffix == u"opus")
        return AudioFileKind::Opus;
    if (suffix == u"flac")
        return AudioFileKind::Flac;
    return std::nullopt;
}

EncodedStream::EncodedStream(const QString &target, AudioFileKind kind, const PcmFormat &format, int quality,
                             FileSync sync)
    : m_pending(target, sync)
    , m_target(target)
    , m_channels(std::max<int>(format.channels, 1))
{
    if (format.bits != 16) {
        fail(QStringLiteral("cannot encode the audio for %1: %2-bit audio").arg(target).arg(format.bits));
        return;
    }
    if (m_pending.path().isEmpty()) {
        fail(m_pending.error(), m_pending.system_error());
        return;
    }
    if (!m_io.open(m_pending.path())) {
        fail(PendingFile::write_error(target, m_io.error()), m_io.error());
        return;
    }
    SF_INFO info{};
    info.samplerate = static_cast<int>(format.rate);
    info.channels = format.channels;
    info.format = sndfile_format(kind);
    m_file = m_io.open_sound(info);
    if (m_file == nullptr) {
        fail(m_io.error() != 0
                 ? PendingFile::write_error(target, m_io.error())
                 : QStringLiteral("cannot write %1: %2").arg(target, QString::fromUtf8(sf_strerror(nullptr))),
             m_io.error());
        return;
    }
    // libsndfile's level runs the other way: 0 is the best quality, 1 the smallest file. Its
    // Opus levels spend music bitrates (100 kbit/s at 0.6): speech uses the top quarter.
    const double scale = kind == AudioFileKind::Opus ? 0.25 : 1.0;
    double level = 1.0 - scale * (quality < 0 ? default_quality(kind) : quality) / 10.0;
    if (kind == AudioFileKind::Mp3) {
        int mode = SF_BITRATE_MODE_VARIABLE;
        sf_command(m_file, SFC_SET_BITRATE_MODE, &mode, sizeof mode);
    }
    sf_command(m_file, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level);
}

EncodedStream::~EncodedStream()
{
    if (m_file != nullptr)
        sf_close(m_file);
}

bool EncodedStream::write(QByteArrayView pcm)
{
    if (m_file == nullptr)
        return false;
    QByteArray bytes = m_odd + pcm.toByteArray();
    // Whole frames only: libsndfile takes as many samples as there are channels at a time.
    const qsizetype count = bytes.size() / (2 * m_channels) * m_channels;
    m_odd = bytes.sliced(count * 2);
    std::vector<short> samples(static_cast<std::size_t>(count));
    for (qsizetype i = 0; i < count; ++i)
        samples[static_cast<std::size_t>(i)] = qFromLittleEndian<qint16>(bytes.constData() + 2 * i);
    const bool encoded = sf_write_short(m_file, samples.data(), count) == count;
    if (m_io.error() != 0)
        return fail(PendingFile::write_error(m_target, m_io.error()), m_io.error());
    if (!encoded)
        return fail(
            QStringLiteral("cannot encode the audio for %1: %2").arg(m_target, QString::fromUtf8(sf_strerror(m_file))));
    return true;
}

bool EncodedStream::finish()
{
    if (m_file == nullptr)
        return false;
    // The encoder writes what it still holds and its headers at the close: a file is whole
    // only when every one of those writes and the close of the descriptor succeeded.
    const int closed = sf_close(m_file);
    m_file = nullptr;
    const bool written = m_io.close();
    if (m_io.error() != 0)
        return fail(PendingFile::write_error(m_target, m_io.error()), m_io.error());
    if (closed != 0 || !written)
        return fail(QStringLiteral("cannot finish %1: %2").arg(m_target, QString::fromUtf8(sf_error_number(closed))));
    return m_pending.commit() || fail(m_pending.error(), m_pending.system_error());
}
