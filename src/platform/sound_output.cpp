// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sound_output.h"

#include "platform/sound_output_backend.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

std::atomic<SoundBackend> g_selected{SoundBackend::Alsa};

std::uint16_t le16(const unsigned char *p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t le32(const unsigned char *p)
{
    return static_cast<std::uint32_t>(le16(p)) | static_cast<std::uint32_t>(le16(p + 2)) << 16;
}

constexpr std::uint16_t kTagPcm = 1;
constexpr std::uint16_t kTagFloat = 3;
constexpr std::uint16_t kTagExtensible = 0xFFFE;

} // namespace

std::optional<SoundFormat> parse_sound_format(const void *block, std::size_t size)
{
    if (block == nullptr || size < 16)
        return std::nullopt;
    const auto *p = static_cast<const unsigned char *>(block);
    std::uint16_t tag = le16(p);
    const unsigned channels = le16(p + 2);
    const unsigned rate = le32(p + 4);
    const unsigned align = le16(p + 12);
    const unsigned bits = le16(p + 14);
    // The extensible layout keeps the real tag in the first two bytes of its sub-format GUID.
    if (tag == kTagExtensible) {
        if (size < 40)
            return std::nullopt;
        tag = le16(p + 24);
    }
    if (channels < 1 || channels > 8 || rate < 1000 || rate > 768000 || bits % 8 != 0 || align != channels * bits / 8)
        return std::nullopt;

    SoundFormat format;
    format.channels = channels;
    format.rate = rate;
    format.frame_bytes = align;
    if (tag == kTagPcm && bits == 8)
        format.encoding = SoundFormat::Encoding::Unsigned8;
    else if (tag == kTagPcm && bits == 16)
        format.encoding = SoundFormat::Encoding::Signed16;
    else if (tag == kTagPcm && bits == 24)
        format.encoding = SoundFormat::Encoding::Signed24;
    else if (tag == kTagPcm && bits == 32)
        format.encoding = SoundFormat::Encoding::Signed32;
    else if (tag == kTagFloat && bits == 32)
        format.encoding = SoundFormat::Encoding::Float32;
    else
        return std::nullopt;
    return format;
}

SoundOutput::SoundOutput(const SoundFormat &format, SoundBlockDone on_done, void *instance)
    : m_format(format)
    , m_on_done(on_done)
    , m_instance(instance)
{
}

SoundResult SoundOutput::write(SoundBlock *block)
{
    {
        std::lock_guard lock(m_mutex);
        m_inbox.push_back({block, Clock::now()});
    }
    wake();
    return SoundResult::Ok;
}

SoundResult SoundOutput::pause()
{
    return request(kPause);
}

SoundResult SoundOutput::reset()
{
    return request(kReset);
}

void SoundOutput::shut_down()
{
    request(kClose);
    if (m_thread.joinable())
        m_thread.join();
}

SoundResult SoundOutput::request(unsigned what)
{
    std::unique_lock lock(m_mutex);
    m_requests |= what;
    const std::uint64_t ticket = ++m_requested;
    lock.unlock();
    wake();
    lock.lock();
    m_done.wait(lock, [&] { return m_finished >= ticket; });
    return SoundResult::Ok;
}

SoundOutput::Taken SoundOutput::take(std::deque<Written> &queue)
{
    std::lock_guard lock(m_mutex);
    for (const Written &w : m_inbox)
        queue.push_back(w);
    m_inbox.clear();
    Taken taken{m_requests, m_requested};
    m_requests = 0;
    return taken;
}

void SoundOutput::finish(const Taken &taken)
{
    {
        std::lock_guard lock(m_mutex);
        m_finished = taken.ticket;
    }
    m_done.notify_all();
}

void SoundOutput::wait_for_work(std::optional<Clock::time_point> deadline)
{
    std::unique_lock lock(m_mutex);
    const auto ready = [&] { return !m_inbox.empty() || m_requests != 0; };
    if (deadline)
        m_work.wait_until(lock, *deadline, ready);
    else
        m_work.wait(lock, ready);
}

void SoundOutput::hand_back(SoundBlock *block)
{
    m_on_done(this, m_instance, block);
}

void SoundOutput::wake()
{
    // Taking the lock orders the notify after the waiter's check of the inbox.
    std::lock_guard lock(m_mutex);
    m_work.notify_one();
}

void SoundOutput::start_thread()
{
    m_thread = std::thread([this] { run(); });
}

SoundResult sound_output_select(SoundBackend backend)
{
    if (backend != SoundBackend::Alsa && backend != SoundBackend::Null)
        return SoundResult::InvalidArgument;
    g_selected.store(backend);
    return SoundResult::Ok;
}

SoundBackend sound_output_backend()
{
    if (const char *env = std::getenv("LUMENO_SOUND")) {
        if (std::strcmp(env, "null") == 0)
            return SoundBackend::Null;
        if (std::strcmp(env, "alsa") == 0)
            return SoundBackend::Alsa;
    }
    return g_selected.load();
}

SoundResult sound_output_device_count(unsigned *count)
{
    if (count == nullptr)
        return SoundResult::InvalidArgument;
    return sound_output_backend() == SoundBackend::Null ? null_output::device_count(count)
                                                        : alsa_output::device_count(count);
}

SoundResult sound_output_open(SoundOutput **output, const void *format, std::size_t format_size, SoundBlockDone on_done,
                              void *instance)
{
    if (output == nullptr)
        return SoundResult::InvalidArgument;
    *output = nullptr;
    if (on_done == nullptr)
        return SoundResult::InvalidArgument;
    const std::optional<SoundFormat> parsed = parse_sound_format(format, format_size);
    if (!parsed)
        return SoundResult::BadFormat;
    return sound_output_backend() == SoundBackend::Null ? null_output::open(*parsed, on_done, instance, output)
                                                        : alsa_output::open(*parsed, on_done, instance, output);
}

SoundResult sound_output_write(SoundOutput *output, SoundBlock *block)
{
    if (output == nullptr || block == nullptr || block->data == nullptr || block->size == 0)
        return SoundResult::InvalidArgument;
    return output->write(block);
}

SoundResult sound_output_pause(SoundOutput *output)
{
    if (output == nullptr)
        return SoundResult::InvalidArgument;
    return output->pause();
}

SoundResult sound_output_reset(SoundOutput *output)
{
    if (output == nullptr)
        return SoundResult::InvalidArgument;
    return output->reset();
}

SoundResult sound_output_close(SoundOutput *output)
{
    if (output == nullptr)
        return SoundResult::InvalidArgument;
    output->shut_down();
    delete output;
    return SoundResult::Ok;
}
