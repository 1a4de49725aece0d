// SPDX-License-Identifier: GPL-3.0-or-later
#include "say/background_sink.h"

namespace {

// About 30 seconds of speech at 16 kHz.
constexpr qsizetype kMaxWaitingBytes = 1024 * 1024;

} // namespace

BackgroundSink::BackgroundSink(AudioSink &inner)
    : m_inner(inner)
    , m_thread([this] { pass_on(); })
{
}

BackgroundSink::~BackgroundSink()
{
    stop();
}

bool BackgroundSink::write(QByteArrayView pcm)
{
    return pcm.isEmpty() || enqueue({pcm.toByteArray()});
}

bool BackgroundSink::sentence_end()
{
    return enqueue({});
}

bool BackgroundSink::finish()
{
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_blocks.isEmpty() || m_failed; });
    }
    stop();
    return !m_failed && m_inner.finish() ? true : fail(m_inner.error());
}

bool BackgroundSink::enqueue(Block block)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_bytes < kMaxWaitingBytes || m_failed; });
    if (m_failed)
        return fail(m_inner.error());
    m_bytes += block.pcm.size();
    m_blocks.enqueue(std::move(block));
    m_changed.notify_all();
    return true;
}

void BackgroundSink::pass_on()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return !m_blocks.isEmpty() || m_closing; });
        if (m_blocks.isEmpty())
            return;
        const Block block = m_blocks.head();
        lock.unlock();
        const bool ok = block.pcm.isEmpty() ? m_inner.sentence_end() : m_inner.write(block.pcm);
        lock.lock();
        m_blocks.dequeue();
        m_bytes -= block.pcm.size();
        m_failed = m_failed || !ok;
        m_changed.notify_all();
        if (m_failed || m_closing)
            return;
    }
}

void BackgroundSink::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}
