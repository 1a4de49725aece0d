// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sound_output_null.h"

#include "platform/sound_output_backend.h"

#include <atomic>
#include <memory>
#include <mutex>

namespace {

std::atomic<unsigned> g_device_count{1};
std::atomic<bool> g_open_fails{false};

std::mutex g_observer_mutex;
std::shared_ptr<const NullOutputObserver> g_observer;

void notify(NullOutputEvent::Kind kind, const SoundOutput *output, const SoundBlock *block = nullptr,
            std::uint32_t handed_back = 0)
{
    std::shared_ptr<const NullOutputObserver> observer;
    {
        std::lock_guard lock(g_observer_mutex);
        observer = g_observer;
    }
    if (observer)
        (*observer)({kind, output, block, handed_back, std::chrono::steady_clock::now()});
}

// Plays nothing, but keeps the time a real device would: each block comes back when its
// frames would have been heard, so whoever feeds it runs at the pace of real playback.
class NullOutput final : public SoundOutput {
public:
    using SoundOutput::SoundOutput;

    void start() { start_thread(); }

    SoundResult write(SoundBlock *block) override
    {
        notify(NullOutputEvent::Kind::Write, this, block);
        return SoundOutput::write(block);
    }

private:
    Clock::duration playing_time(const SoundBlock *block) const
    {
        const std::uint64_t frames = block->size / format().frame_bytes;
        return std::chrono::duration_cast<Clock::duration>(
            std::chrono::nanoseconds(frames * 1'000'000'000ULL / format().rate));
    }

    void run() override
    {
        std::deque<Written> queue;
        Clock::time_point head_start; // when queue.front() began to play
        Clock::time_point last_end;   // when the previous block finished
        bool paused = false;
        for (;;) {
            const bool was_empty = queue.empty();
            const Taken taken = take(queue);
            if (was_empty && !queue.empty())
                head_start = std::max(last_end, queue.front().at);
            if (taken.requests & kPause) {
                paused = true;
                notify(NullOutputEvent::Kind::Pause, this);
            }
            if (taken.requests & (kReset | kClose)) {
                const auto count = static_cast<std::uint32_t>(queue.size());
                notify(taken.requests & kClose ? NullOutputEvent::Kind::Close : NullOutputEvent::Kind::Reset, this,
                       nullptr, count);
                for (const Written &w : queue)
                    hand_back(w.block);
                queue.clear();
                paused = false;
                last_end = {};
            }
            if (taken.requests != 0)
                finish(taken);
            if (taken.requests & kClose)
                return;

            if (paused || queue.empty()) {
                wait_for_work(std::nullopt);
                continue;
            }
            const Clock::time_point head_end = head_start + playing_time(queue.front().block);
            if (Clock::now() < head_end) {
                wait_for_work(head_end);
                continue;
            }
            SoundBlock *done = queue.front().block;
            queue.pop_front();
            last_end = head_end;
            if (!queue.empty())
                head_start = std::max(last_end, queue.front().at);
            notify(NullOutputEvent::Kind::Done, this, done);
            hand_back(done);
        }
    }
};

} // namespace

void sound_output_null_observe(NullOutputObserver observer)
{
    auto shared = observer ? std::make_shared<const NullOutputObserver>(std::move(observer)) : nullptr;
    std::lock_guard lock(g_observer_mutex);
    g_observer = std::move(shared);
}

void sound_output_null_set_device_count(unsigned count)
{
    g_device_count.store(count);
}

void sound_output_null_set_open_fails(bool fails)
{
    g_open_fails.store(fails);
}

namespace null_output {

SoundResult device_count(unsigned *count)
{
    *count = g_device_count.load();
    return SoundResult::Ok;
}

SoundResult open(const SoundFormat &format, SoundBlockDone on_done, void *instance, SoundOutput **output)
{
    if (g_device_count.load() == 0 || g_open_fails.load())
        return SoundResult::NoDevice;
    auto *opened = new NullOutput(format, on_done, instance);
    notify(NullOutputEvent::Kind::Open, opened);
    opened->start();
    *output = opened;
    return SoundResult::Ok;
}

} // namespace null_output
