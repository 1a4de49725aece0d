// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sound_output_backend.h"

#include <algorithm>
#include <alsa/asoundlib.h>
#include <cerrno>
#include <deque>
#include <mutex>
#include <optional>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char *kDevice = "default";
// Only what ALSA buffers is beyond a reset's reach; a fifth of a second keeps a busy machine
// from running dry without making anything wait for it.
constexpr unsigned kLatencyMicroseconds = 200000;

void ignore_alsa_message(const char *, int, const char *, int, const char *, ...) {}

// A machine without sound is normal for this program; ALSA would otherwise print its
// complaint to standard error on every attempt.
void silence_alsa()
{
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(ignore_alsa_message); });
}

snd_pcm_format_t alsa_format(SoundFormat::Encoding encoding)
{
    switch (encoding) {
    case SoundFormat::Encoding::Unsigned8:
        return SND_PCM_FORMAT_U8;
    case SoundFormat::Encoding::Signed16:
        return SND_PCM_FORMAT_S16_LE;
    case SoundFormat::Encoding::Signed24:
        return SND_PCM_FORMAT_S24_3LE;
    case SoundFormat::Encoding::Signed32:
        return SND_PCM_FORMAT_S32_LE;
    case SoundFormat::Encoding::Float32:
        return SND_PCM_FORMAT_FLOAT_LE;
    }
    return SND_PCM_FORMAT_UNKNOWN;
}

// The device is opened non-blocking and only this output's thread touches it after open, so
// nothing depends on ALSA's own locking. The thread sleeps in poll() on the device and on an
// eventfd that callers use to wake it; a block comes back once ALSA's delay says its last
// frame has been heard, not merely when it was copied into ALSA's buffer.
class AlsaOutput final : public SoundOutput {
public:
    AlsaOutput(const SoundFormat &format, SoundBlockDone on_done, void *instance, snd_pcm_t *pcm, int wake_fd)
        : SoundOutput(format, on_done, instance)
        , m_pcm(pcm)
        , m_wake_fd(wake_fd)
    {
        snd_pcm_get_params(m_pcm, &m_buffer_frames, &m_period_frames);
        m_period_frames = std::max<snd_pcm_uframes_t>(m_period_frames, 1);
        m_silence.resize(m_period_frames * format.frame_bytes);
        snd_pcm_format_set_silence(alsa_format(format.encoding), m_silence.data(),
                                   static_cast<unsigned>(m_period_frames * format.channels));
    }

    ~AlsaOutput() override
    {
        snd_pcm_close(m_pcm);
        ::close(m_wake_fd);
    }

    void start() { start_thread(); }

private:
    struct Sent {
        SoundBlock *block;
        std::uint64_t end_frame; // frames written up to and including this block
    };

    void wake() override
    {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_wake_fd, &one, sizeof one);
    }

    void run() override
    {
        for (;;) {
            const Taken taken = take(m_queue);
            if (taken.requests & kPause)
                pause_device();
            if (taken.requests & (kReset | kClose))
                drop_everything();
            if (taken.requests != 0)
                finish(taken);
            if (taken.requests & kClose)
                return;
            if (m_broken) {
                // Blocks stay out; whoever waits for them gives up on its own time.
                wait(false, std::nullopt, false);
                continue;
            }
            retire();
            const Step step = play_step();
            if (step == Step::Again)
                continue;
            std::optional<std::uint64_t> heard_frame;
            if (!m_paused && !m_sent.empty())
                heard_frame = m_sent.front().end_frame;
            wait(step == Step::NeedRoom, heard_frame, step == Step::KeepFed);
        }
    }

    // What the thread does after one step of playing: go round again at once, or wait for
    // room in the device, for the silence it is fed to run low, or for anything else.
    enum class Step { Again, NeedRoom, KeepFed, Idle };

    void pause_device()
    {
        m_paused = true;
        if (snd_pcm_state(m_pcm) == SND_PCM_STATE_RUNNING)
            snd_pcm_pause(m_pcm, 1);
    }

    // Cuts the sound and hands every block back, heard or not.
    void drop_everything()
    {
        snd_pcm_drop(m_pcm);
        snd_pcm_prepare(m_pcm);
        for (const Sent &s : m_sent)
            hand_back(s.block);
        for (const Written &w : m_queue)
            hand_back(w.block);
        m_sent.clear();
        m_queue.clear();
        m_head_offset = 0;
        m_written = m_played = 0;
        m_paused = false;
        m_broken = false;
    }

    Step play_step()
    {
        if (m_paused)
            return Step::Idle;
        if (!m_queue.empty())
            return write_head();
        if (m_sent.empty())
            return Step::Idle;
        const snd_pcm_state_t state = snd_pcm_state(m_pcm);
        if (state == SND_PCM_STATE_PREPARED) {
            // Less than ALSA's start threshold was written and nothing more is coming.
            snd_pcm_start(m_pcm);
        } else if (state == SND_PCM_STATE_RUNNING) {
            feed_silence();
            return Step::KeepFed;
        }
        return Step::Idle;
    }

    // Writes what the device takes of the oldest block; a block wholly written moves on to
    // wait there until it has been heard.
    Step write_head()
    {
        SoundBlock *block = m_queue.front().block;
        const std::size_t frame = format().frame_bytes;
        const std::size_t playable = block->size - block->size % frame;
        bool need_room = false;
        if (m_head_offset < playable) {
            const snd_pcm_sframes_t n =
                snd_pcm_writei(m_pcm, block->data + m_head_offset, (playable - m_head_offset) / frame);
            if (n == -EAGAIN) {
                need_room = true;
            } else if (n < 0) {
                if (snd_pcm_recover(m_pcm, static_cast<int>(n), 1) < 0)
                    m_broken = true;
                else
                    m_played = m_written; // what was in the buffer is gone
                return Step::Again;
            } else {
                m_head_offset += static_cast<std::size_t>(n) * frame;
                m_written += static_cast<std::uint64_t>(n);
            }
        }
        if (m_head_offset >= playable) {
            m_sent.push_back({block, m_written});
            m_queue.pop_front();
            m_head_offset = 0;
            return Step::Again;
        }
        return need_room ? Step::NeedRoom : Step::Again;
    }

    // The last blocks are written but not yet heard. When ALSA's buffer runs dry, PulseAudio's
    // plugin reports an underrun while the server still holds the end of the sound, and its
    // delay stops counting; a period or two of silence behind the sound keeps the stream
    // running until the last block has been heard.
    void feed_silence()
    {
        const snd_pcm_sframes_t avail = snd_pcm_avail_update(m_pcm);
        if (avail < 0 || m_buffer_frames - static_cast<snd_pcm_uframes_t>(avail) >= m_period_frames)
            return;
        const snd_pcm_sframes_t n = snd_pcm_writei(m_pcm, m_silence.data(), m_period_frames);
        if (n > 0)
            m_written += static_cast<std::uint64_t>(n);
    }

    // Hands back the blocks whose last frame has been heard.
    void retire()
    {
        std::deque<Sent> &sent = m_sent;
        if (sent.empty())
            return;
        const snd_pcm_state_t state = snd_pcm_state(m_pcm);
        if (state == SND_PCM_STATE_XRUN) {
            // Ran dry: everything written has been played. The next write recovers.
            m_played = m_written;
        } else if (state == SND_PCM_STATE_RUNNING || state == SND_PCM_STATE_DRAINING) {
            snd_pcm_sframes_t delay = 0;
            if (snd_pcm_delay(m_pcm, &delay) == 0) {
                const auto queued = static_cast<std::uint64_t>(std::max<snd_pcm_sframes_t>(delay, 0));
                const std::uint64_t heard = m_written - std::min(queued, m_written);
                m_played = std::max(m_played, heard);
            }
        }
        while (!sent.empty() && sent.front().end_frame <= m_played) {
            SoundBlock *block = sent.front().block;
            sent.pop_front();
            hand_back(block);
        }
    }

    // Sleeps until woken, until the device has room (need_room), until the frame heard_frame
    // should have been heard, or, while fed with silence, until it needs more.
    void wait(bool need_room, std::optional<std::uint64_t> heard_frame, bool keep_fed)
    {
        std::vector<pollfd> fds(1);
        fds[0] = {m_wake_fd, POLLIN, 0};
        if (need_room) {
            const int count = snd_pcm_poll_descriptors_count(m_pcm);
            if (count > 0) {
                fds.resize(1 + static_cast<std::size_t>(count));
                snd_pcm_poll_descriptors(m_pcm, fds.data() + 1, static_cast<unsigned>(count));
            }
        }
        int timeout_ms = need_room && fds.size() == 1 ? 10 : -1;
        if (heard_frame) {
            const std::uint64_t left = *heard_frame - std::min(*heard_frame, m_played);
            const auto ms = static_cast<int>(std::min<std::uint64_t>(left * 1000 / format().rate + 1, 1000));
            timeout_ms = timeout_ms < 0 ? ms : std::min(timeout_ms, ms);
        }
        if (keep_fed) {
            const auto half_period =
                static_cast<int>(std::max<snd_pcm_uframes_t>(m_period_frames * 500 / format().rate, 1));
            timeout_ms = timeout_ms < 0 ? half_period : std::min(timeout_ms, half_period);
        }
        ::poll(fds.data(), static_cast<nfds_t>(fds.size()), timeout_ms);
        if (fds[0].revents & POLLIN) {
            std::uint64_t count = 0;
            [[maybe_unused]] const ssize_t n = ::read(m_wake_fd, &count, sizeof count);
        }
        if (fds.size() > 1) {
            // Plugins (PulseAudio's among them) need this to consume their own wake-ups.
            unsigned short revents = 0;
            snd_pcm_poll_descriptors_revents(m_pcm, fds.data() + 1, static_cast<unsigned>(fds.size() - 1), &revents);
        }
    }

    snd_pcm_t *m_pcm;
    int m_wake_fd;
    snd_pcm_uframes_t m_buffer_frames = 0;
    snd_pcm_uframes_t m_period_frames = 1;
    std::vector<char> m_silence; // one period
    // Thread side only. Frames counted since the last reset:
    std::uint64_t m_written = 0;
    std::uint64_t m_played = 0;
    std::deque<Written> m_queue; // not yet fully written to ALSA; the front may be partly
    std::deque<Sent> m_sent;     // in ALSA's buffer, oldest first
    std::size_t m_head_offset = 0;
    bool m_paused = false;
    bool m_broken = false;
};

} // namespace

namespace alsa_output {

SoundResult device_count(unsigned *count)
{
    silence_alsa();
    snd_pcm_t *pcm = nullptr;
    *count = 0;
    if (snd_pcm_open(&pcm, kDevice, SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) == 0) {
        *count = 1;
        snd_pcm_close(pcm);
    }
    return SoundResult::Ok;
}

SoundResult open(const SoundFormat &format, SoundBlockDone on_done, void *instance, SoundOutput **output)
{
    silence_alsa();
    snd_pcm_t *pcm = nullptr;
    if (snd_pcm_open(&pcm, kDevice, SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) != 0)
        return SoundResult::NoDevice;
    if (snd_pcm_set_params(pcm, alsa_format(format.encoding), SND_PCM_ACCESS_RW_INTERLEAVED, format.channels,
                           format.rate, 1, kLatencyMicroseconds)
        != 0) {
        snd_pcm_close(pcm);
        return SoundResult::BadFormat;
    }
    const int wake_fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wake_fd < 0) {
        snd_pcm_close(pcm);
        return SoundResult::DeviceError;
    }
    auto *opened = new AlsaOutput(format, on_done, instance, pcm, wake_fd);
    opened->start();
    *output = opened;
    return SoundResult::Ok;
}

} // namespace alsa_output
