// SPDX-License-Identifier: GPL-3.0-or-later
#include "say/play_stream.h"

#include "platform/sound_output.h"

#include <chrono>
#include <cstring>

namespace {

// How much audio may wait queued for the device, in seconds.
constexpr int kQueuedSeconds = 4;
constexpr auto kStopPoll = std::chrono::milliseconds(50);

} // namespace

PlayStream::PlayStream(const PcmFormat &format, std::function<bool()> stop_requested)
    : m_format(format)
    , m_stop_requested(std::move(stop_requested))
{
}

PlayStream::~PlayStream()
{
    if (m_output != nullptr)
        sound_output_close(m_output); // hands back what is still queued
    for (const auto &block : m_blocks)
        delete[] block->data;
}

bool PlayStream::open()
{
    unsigned devices = 0;
    if (sound_output_device_count(&devices) != SoundResult::Ok || devices == 0)
        return fail(QStringLiteral("no sound device can play (set LUMENO_SOUND or write a file with -o)"));
    const QByteArray format = m_format.format_block();
    if (sound_output_open(&m_output, format.constData(), static_cast<std::size_t>(format.size()),
                          &PlayStream::block_done, this)
        != SoundResult::Ok)
        return fail(QStringLiteral("the sound device cannot be opened"));
    return true;
}

void PlayStream::block_done(SoundOutput * /*output*/, void *instance, SoundBlock *block)
{
    auto *self = static_cast<PlayStream *>(instance);
    const std::lock_guard lock(self->m_mutex);
    // Blocks come back in the order they were written: this is the oldest.
    if (!self->m_blocks.empty() && self->m_blocks.front().get() == block) {
        self->m_queued_bytes -= block->size;
        delete[] block->data;
        self->m_blocks.pop_front();
    }
    self->m_returned.notify_all();
}

bool PlayStream::wait_until(const std::function<bool()> &ready)
{
    std::unique_lock lock(m_mutex);
    while (!ready()) {
        if (m_stop_requested && m_stop_requested())
            return false;
        m_returned.wait_for(lock, kStopPoll);
    }
    return true;
}

bool PlayStream::write(QByteArrayView pcm)
{
    if (m_output == nullptr || pcm.isEmpty())
        return m_output != nullptr;
    const qint64 limit = qint64{m_format.bytes_per_second()} * kQueuedSeconds;
    if (!wait_until([&] { return m_queued_bytes < limit; }))
        return false;
    auto block = std::make_unique<SoundBlock>();
    char *data = new char[static_cast<std::size_t>(pcm.size())];
    std::memcpy(data, pcm.data(), static_cast<std::size_t>(pcm.size()));
    block->data = data;
    block->size = static_cast<std::uint32_t>(pcm.size());
    SoundBlock *raw = block.get();
    {
        const std::lock_guard lock(m_mutex);
        m_queued_bytes += raw->size;
        m_blocks.push_back(std::move(block));
    }
    if (sound_output_write(m_output, raw) != SoundResult::Ok)
        return fail(QStringLiteral("the sound device failed"));
    if (std::exchange(m_first, false) && on_first_block)
        on_first_block();
    return true;
}

bool PlayStream::finish()
{
    if (m_output == nullptr)
        return false;
    return wait_until([&] { return m_blocks.empty(); });
}
