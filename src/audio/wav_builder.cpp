// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/wav_builder.h"

#include <QtEndian>
#include <cstring>

namespace {

constexpr quint16 kChannels = 1;
constexpr quint16 kBitsPerSample = 16;
constexpr quint16 kBlockAlign = kChannels * kBitsPerSample / 8;
constexpr quint16 kLinearPcm = 1;
constexpr quint32 kFormatChunkSize = 16;
// RIFF size counts everything after its own field except the audio.
constexpr quint32 kRiffOverhead = WavBuilder::kHeaderSize - 8;

class HeaderWriter final {
public:
    explicit HeaderWriter(char *at)
        : m_at(at)
    {
    }

    void text(const char *bytes, std::size_t length)
    {
        std::memcpy(m_at, bytes, length);
        m_at += length;
    }

    template <typename T> void number(T value)
    {
        qToLittleEndian(value, m_at);
        m_at += sizeof(T);
    }

private:
    char *m_at;
};

} // namespace

QByteArray WavBuilder::wrap(QByteArrayView audio, quint32 sample_rate)
{
    const auto length = static_cast<quint32>(audio.size());
    QByteArray wav(kHeaderSize, Qt::Uninitialized);
    HeaderWriter header(wav.data());
    header.text("RIFF", 4);
    header.number<quint32>(length + kRiffOverhead);
    header.text("WAVEfmt ", 8);
    header.number<quint32>(kFormatChunkSize);
    header.number<quint16>(kLinearPcm);
    header.number<quint16>(kChannels);
    header.number<quint32>(sample_rate);
    header.number<quint32>(sample_rate * kBlockAlign);
    header.number<quint16>(kBlockAlign);
    header.number<quint16>(kBitsPerSample);
    header.text("data", 4);
    header.number<quint32>(length);
    wav.append(audio.data(), audio.size());
    return wav;
}

quint32 WavBuilder::sample_rate_for_format(int format_position)
{
    return format_position == 0 ? 8000 : 16000;
}
