// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio_stream.h"

#include "qtts.h"

#include <algorithm>

namespace speech {

AudioStream::AudioStream(Clock::time_point created, std::size_t wake_samples)
    : m_wake_samples(wake_samples)
    , m_last_progress(created)
{
}

void AudioStream::store(const short *samples, std::size_t count)
{
    // Drop what has been handed out once it is most of the buffer, so memory stays bounded.
    if (m_read > 0 && m_read * 2 >= m_samples.size()) {
        m_samples.erase(m_samples.begin(), m_samples.begin() + static_cast<std::ptrdiff_t>(m_read));
        m_read = 0;
    }
    m_samples.insert(m_samples.end(), samples, samples + count);
}

void AudioStream::append(const short *samples, std::size_t count, Clock::time_point now)
{
    bool wake = false;
    {
        const std::lock_guard lock(m_mutex);
        store(samples, count);
        m_last_progress = now;
        // Waking the caller for every 50 ms the worker makes costs more than the worker's own
        // audio work: wake it for the first audio (it is waiting to start) and then only for a
        // whole chunk; a waiting caller looks again after a few milliseconds anyway.
        wake = m_waiters > 0 && (!m_woken_once || m_samples.size() - m_read >= m_wake_samples);
        m_woken_once = m_woken_once || wake;
    }
    if (wake)
        m_ready.notify_all();
}

void AudioStream::mark_progress(Clock::time_point now)
{
    const std::lock_guard lock(m_mutex);
    m_last_progress = now;
}

void AudioStream::finish(int error, const short *samples, std::size_t count)
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_finished)
            return;
        if (samples != nullptr)
            store(samples, count);
        m_finished = true;
        m_error = error;
    }
    m_ready.notify_all();
}

void AudioStream::cancel()
{
    m_cancelled.store(true, std::memory_order_relaxed);
}

AudioStream::Poll AudioStream::poll(std::vector<short> &chunk, std::size_t max_samples, Clock::time_point now,
                                    Clock::duration timeout, Clock::time_point worker_heartbeat)
{
    const std::lock_guard lock(m_mutex);
    Poll result;
    const std::size_t available = m_samples.size() - m_read;
    if (available > 0 && m_error == 0) {
        result.samples = std::min(available, max_samples);
        chunk.assign(m_samples.begin() + static_cast<std::ptrdiff_t>(m_read),
                     m_samples.begin() + static_cast<std::ptrdiff_t>(m_read + result.samples));
        m_read += result.samples;
        result.last = m_finished && m_read == m_samples.size();
        return result;
    }
    if (!m_finished) {
        // While the job waits in the queue, the worker's progress on other jobs counts.
        const Clock::time_point since = std::max(m_last_progress, worker_heartbeat);
        if (now - since <= timeout)
            return result;
        m_finished = true;
        m_error = QTTS_ERROR_TIMEOUT;
        m_cancelled.store(true, std::memory_order_relaxed);
    }
    result.last = true;
    result.error = m_error;
    return result;
}

void AudioStream::wait_for_audio(Clock::duration wait)
{
    std::unique_lock lock(m_mutex);
    ++m_waiters;
    m_ready.wait_for(lock, wait, [this] { return m_finished || m_read < m_samples.size(); });
    --m_waiters;
}

} // namespace speech
