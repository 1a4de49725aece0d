// SPDX-License-Identifier: GPL-3.0-or-later
#include "module_output.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

ModuleOutput::ModuleOutput(int fd)
    : m_fd(fd)
{
}

bool ModuleOutput::say(QByteArrayView line)
{
    const std::lock_guard lock(m_mutex);
    QByteArray bytes(line.data(), line.size());
    bytes += '\n';
    return write_all(bytes);
}

bool ModuleOutput::say(QByteArrayView first, QByteArrayView second)
{
    const std::lock_guard lock(m_mutex);
    QByteArray bytes;
    bytes.reserve(first.size() + second.size() + 2);
    bytes.append(first.data(), first.size()).append('\n').append(second.data(), second.size()).append('\n');
    return write_all(bytes);
}

std::uint64_t ModuleOutput::open_audio()
{
    const std::lock_guard lock(m_mutex);
    m_open = ++m_last;
    return m_open;
}

void ModuleOutput::close_audio()
{
    const std::lock_guard lock(m_mutex);
    m_open = 0;
}

bool ModuleOutput::audio(std::uint64_t token, QByteArrayView pcm, const PcmFormat &format)
{
    for (qsizetype at = 0; at < pcm.size(); at += kMaxBlock) {
        const QByteArray block = audio_block(pcm.sliced(at, std::min(kMaxBlock, pcm.size() - at)), format);
        const std::lock_guard lock(m_mutex);
        if (token == 0 || token != m_open || !write_all(block))
            return false;
    }
    return true;
}

bool ModuleOutput::broken() const
{
    const std::lock_guard lock(m_mutex);
    return m_broken;
}

QByteArray ModuleOutput::audio_block(QByteArrayView pcm, const PcmFormat &format)
{
    constexpr char kEscape = 0x7D;
    constexpr char kFlip = 0x20;
    // Whole frames only; num_samples counts frames.
    const qsizetype frame = std::max<qsizetype>(format.frame_bytes(), 1);
    const qsizetype whole = pcm.size() / frame * frame;
    QByteArray block = "705-bits=" + QByteArray::number(format.bits) + "\n705-num_channels="
                       + QByteArray::number(format.channels) + "\n705-sample_rate=" + QByteArray::number(format.rate)
                       + "\n705-num_samples=" + QByteArray::number(whole / frame) + "\n705-big_endian=0\n705-AUDIO";
    block += '\0';
    block.reserve(block.size() + whole + whole / 64 + 12);
    for (qsizetype i = 0; i < whole; ++i) {
        const char byte = pcm[i];
        if (byte == '\n' || byte == kEscape) {
            block += kEscape;
            block += static_cast<char>(byte ^ kFlip);
        } else {
            block += byte;
        }
    }
    block += "\n705 AUDIO\n";
    return block;
}

bool ModuleOutput::write_all(QByteArrayView bytes)
{
    if (m_broken)
        return false;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_broken = true;
            return false;
        }
        done += n;
    }
    return true;
}
