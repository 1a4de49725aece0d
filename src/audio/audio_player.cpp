// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/audio_player.h"

#include "platform/sound_output.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <semaphore>
#include <thread>
#include <vector>

namespace {

constexpr int kBlockCount = AudioPlayer::kBlockCount;
constexpr int kBlockSize = AudioPlayer::kBlockSize;

class Player;

// All live players. Never destroyed: a feeding thread may still be ending while the process
// runs its static destructors.
struct Registry {
    std::mutex lock;
    std::condition_variable idle;
    std::vector<Player *> live;
    std::vector<std::thread> finished; // threads past their last use of the registry
};

Registry &registry()
{
    static auto *instance = new Registry;
    return *instance;
}

void join_all(std::vector<std::thread> &threads)
{
    for (std::thread &t : threads)
        t.join();
    threads.clear();
}

// One playing sound. The feeding thread fills the blocks of a ring in turn and writes them to
// the sound output; the output's callback hands each block back, which raises the free count
// and the semaphore. The player's lock guards the free count, the ring index and the read
// position; it is never taken together with the registry's lock.
class Player final {
public:
    Player(const QByteArray &audio, bool loop)
        : m_audio(audio)
        , m_loop(loop)
        , m_memory(std::make_unique_for_overwrite<char[]>(std::size_t{kBlockCount} * kBlockSize))
    {
        for (int i = 0; i < kBlockCount; ++i)
            m_blocks[i].data = m_memory.get() + std::size_t{kBlockSize} * i;
    }

    Player(const Player &) = delete;
    Player &operator=(const Player &) = delete;

    // Without a device the player still runs: nothing comes back, so the watchdog ends it.
    bool open_output(const PcmFormat &pcm)
    {
        const QByteArray format = pcm.format_block();
        unsigned devices = 0;
        if (sound_output_device_count(&devices) != SoundResult::Ok || devices == 0)
            return false;
        if (sound_output_open(&m_output, format.data(), static_cast<std::size_t>(format.size()), &block_done, this)
            != SoundResult::Ok)
            m_output = nullptr;
        return m_output != nullptr;
    }

    void launch()
    {
        m_thread = std::thread([this] { feed(); });
    }

    // The stop event is manual-reset: once set it stays set. Setting it also adds one count to
    // the semaphore so that the feeding thread, which waits on the semaphore alone, wakes now.
    void signal_stop()
    {
        if (!m_stop.exchange(true))
            m_blocks_back.release();
    }

private:
    static void block_done(SoundOutput *, void *instance, SoundBlock *)
    {
        auto *self = static_cast<Player *>(instance);
        {
            std::lock_guard lock(self->m_lock);
            ++self->m_free;
        }
        self->m_blocks_back.release();
    }

    void feed()
    {
        for (;;) {
            const bool woke = m_blocks_back.try_acquire_for(std::chrono::milliseconds(AudioPlayer::kWatchdogMs));
            if (!woke || m_stop.load()) {
                if (m_output) {
                    sound_output_pause(m_output);
                    sound_output_reset(m_output);
                }
                break;
            }
            int free_blocks = 0;
            int index = 0;
            qsizetype read = 0;
            {
                std::lock_guard lock(m_lock);
                free_blocks = m_free;
                index = m_next;
                read = m_read;
            }
            if (free_blocks == 0)
                continue;

            const qsizetype left = m_audio.size() - read;
            if (left > 0) {
                const qsizetype piece = std::min<qsizetype>(left, kBlockSize);
                SoundBlock &block = m_blocks[index];
                std::memcpy(m_memory.get() + std::size_t{kBlockSize} * index, m_audio.constData() + read,
                            static_cast<std::size_t>(piece));
                block.size = static_cast<std::uint32_t>(piece);
                {
                    std::lock_guard lock(m_lock);
                    --m_free;
                    m_next = (index + 1) % kBlockCount;
                    m_read = read + piece;
                }
                if (m_output)
                    sound_output_write(m_output, &block);
                continue;
            }
            if (free_blocks < kBlockCount)
                continue; // the output is still playing the last blocks
            if (!m_loop)
                break;
            // Start over with the whole ring free. Counts left from the last returns are
            // dropped first so the semaphore never exceeds one count per block.
            while (m_blocks_back.try_acquire()) {
            }
            {
                std::lock_guard lock(m_lock);
                m_read = 0;
                m_next = 0;
                m_free = kBlockCount;
            }
            m_blocks_back.release(kBlockCount);
        }
        end();
    }

    void end()
    {
        Registry &r = registry();
        {
            std::lock_guard lock(r.lock);
            r.live.erase(std::find(r.live.begin(), r.live.end(), this));
            r.finished.push_back(std::move(m_thread));
        }
        r.idle.notify_all();
        if (m_output)
            sound_output_close(m_output);
        delete this;
    }

    const QByteArray m_audio;
    const bool m_loop;
    const std::unique_ptr<char[]> m_memory;
    std::array<SoundBlock, kBlockCount> m_blocks{};
    SoundOutput *m_output = nullptr;

    // One count per block handed back, plus one for the stop event.
    std::counting_semaphore<kBlockCount + 1> m_blocks_back{kBlockCount};
    std::atomic<bool> m_stop{false};

    std::mutex m_lock;
    int m_free = kBlockCount;
    int m_next = 0;
    qsizetype m_read = 0;

    std::thread m_thread;
};

} // namespace

bool AudioPlayer::play(const PcmAudio &audio, bool loop, bool *output_opened)
{
    if (audio.bytes.isEmpty())
        return false;

    Registry &r = registry();
    std::vector<std::thread> ended;
    {
        std::lock_guard lock(r.lock);
        ended.swap(r.finished);
    }
    join_all(ended);

    auto *player = new Player(audio.bytes, loop);
    const bool opened = player->open_output(audio.format);
    if (output_opened != nullptr)
        *output_opened = opened;
    // The thread is started under the lock so that it cannot end, and leave the list, before
    // it has been added to it.
    std::lock_guard lock(r.lock);
    r.live.push_back(player);
    player->launch();
    return true;
}

void AudioPlayer::stop_all()
{
    Registry &r = registry();
    std::lock_guard lock(r.lock);
    for (Player *player : r.live)
        player->signal_stop();
}

int AudioPlayer::live_count()
{
    Registry &r = registry();
    std::lock_guard lock(r.lock);
    return static_cast<int>(r.live.size());
}

bool AudioPlayer::wait_idle(int timeout_ms)
{
    Registry &r = registry();
    std::vector<std::thread> ended;
    {
        std::unique_lock lock(r.lock);
        const auto none_live = [&] { return r.live.empty(); };
        if (timeout_ms < 0)
            r.idle.wait(lock, none_live);
        else if (!r.idle.wait_for(lock, std::chrono::milliseconds(timeout_ms), none_live))
            return false;
        ended.swap(r.finished);
    }
    join_all(ended);
    return true;
}
