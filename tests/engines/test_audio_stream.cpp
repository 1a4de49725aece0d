// SPDX-License-Identifier: GPL-3.0-or-later
// Handing a synthesis's audio to QTTSAudioGet: chunk sizes, the end, errors and time-outs.

#include "audio_stream.h"
#include "qtts.h"

#include <QElapsedTimer>
#include <QTest>
#include <thread>

using namespace speech;
using namespace std::chrono_literals;

class TestAudioStream : public QObject {
    Q_OBJECT

private slots:
    void poll_handsOutAtMostTheChunkSize();
    void poll_reportsTheEndWithTheLastPiece();
    void poll_reportsAnErrorInsteadOfAudio();
    void poll_timesOutWithoutProgress();
    void poll_countsTheWorkersProgressWhileQueued();
    void waitForAudio_returnsWhenAudioArrives();
};

namespace {

const Clock::time_point t0{};
constexpr auto timeout = 1000ms;

std::vector<short> ramp(std::size_t n, short start = 0)
{
    std::vector<short> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<short>(start + static_cast<short>(i));
    return v;
}

} // namespace

void TestAudioStream::poll_handsOutAtMostTheChunkSize()
{
    AudioStream stream(t0);
    const auto samples = ramp(250);
    stream.append(samples.data(), samples.size(), t0);
    std::vector<short> chunk;
    std::vector<short> all;
    for (std::size_t expected : {100, 100, 50}) {
        const auto poll = stream.poll(chunk, 100, t0, timeout, t0);
        QCOMPARE(poll.samples, expected);
        QCOMPARE(chunk.size(), expected);
        QVERIFY(!poll.last);
        QCOMPARE(poll.error, 0);
        all.insert(all.end(), chunk.begin(), chunk.end());
    }
    QCOMPARE(all, samples);
    QCOMPARE(stream.poll(chunk, 100, t0, timeout, t0).samples, std::size_t(0));
}

void TestAudioStream::poll_reportsTheEndWithTheLastPiece()
{
    AudioStream stream(t0);
    const auto first = ramp(30);
    const auto last = ramp(20, 30);
    stream.append(first.data(), first.size(), t0);
    stream.finish(0, last.data(), last.size());
    std::vector<short> chunk;
    auto poll = stream.poll(chunk, 40, t0, timeout, t0);
    QCOMPARE(poll.samples, std::size_t(40));
    QVERIFY(!poll.last);
    poll = stream.poll(chunk, 40, t0, timeout, t0);
    QCOMPARE(poll.samples, std::size_t(10));
    QVERIFY(poll.last);
    QCOMPARE(chunk.back(), short(49));
    // Afterwards: nothing, still the end, never a time-out.
    poll = stream.poll(chunk, 40, t0 + 1h, timeout, t0);
    QCOMPARE(poll.samples, std::size_t(0));
    QVERIFY(poll.last);
    QCOMPARE(poll.error, 0);
}

void TestAudioStream::poll_reportsAnErrorInsteadOfAudio()
{
    AudioStream stream(t0);
    const auto samples = ramp(10);
    stream.append(samples.data(), samples.size(), t0);
    stream.finish(QTTS_ERROR_SYNTHESIS_FAILED);
    std::vector<short> chunk;
    const auto poll = stream.poll(chunk, 100, t0, timeout, t0);
    QCOMPARE(poll.samples, std::size_t(0));
    QVERIFY(poll.last);
    QCOMPARE(poll.error, QTTS_ERROR_SYNTHESIS_FAILED);
}

void TestAudioStream::poll_timesOutWithoutProgress()
{
    AudioStream stream(t0);
    std::vector<short> chunk;
    auto poll = stream.poll(chunk, 100, t0 + timeout, timeout, t0);
    QVERIFY(!poll.last);
    QCOMPARE(poll.error, 0);
    // Progress moves the deadline.
    const auto samples = ramp(5);
    stream.append(samples.data(), samples.size(), t0 + 900ms);
    QCOMPARE(stream.poll(chunk, 100, t0 + 1500ms, timeout, t0).samples, std::size_t(5));
    poll = stream.poll(chunk, 100, t0 + 1800ms, timeout, t0);
    QVERIFY(!poll.last);
    poll = stream.poll(chunk, 100, t0 + 1901ms, timeout, t0);
    QVERIFY(poll.last);
    QCOMPARE(poll.error, QTTS_ERROR_TIMEOUT);
    QVERIFY(stream.cancelled()); // the worker drops it
    // The time-out sticks even if the worker finishes later.
    stream.finish(0, samples.data(), samples.size());
    poll = stream.poll(chunk, 100, t0 + 2s, timeout, t0);
    QCOMPARE(poll.error, QTTS_ERROR_TIMEOUT);
    QCOMPARE(poll.samples, std::size_t(0));
}

void TestAudioStream::poll_countsTheWorkersProgressWhileQueued()
{
    AudioStream stream(t0);
    std::vector<short> chunk;
    // Five seconds in the queue, but the worker was busy with another session until 4.5 s.
    auto poll = stream.poll(chunk, 100, t0 + 5s, timeout, t0 + 4500ms);
    QVERIFY(!poll.last);
    poll = stream.poll(chunk, 100, t0 + 5501ms, timeout, t0 + 4500ms);
    QCOMPARE(poll.error, QTTS_ERROR_TIMEOUT);
}

void TestAudioStream::waitForAudio_returnsWhenAudioArrives()
{
    AudioStream stream(Clock::now());
    const auto samples = ramp(8);
    std::thread producer([&] {
        std::this_thread::sleep_for(20ms);
        stream.append(samples.data(), samples.size(), Clock::now());
    });
    QElapsedTimer timer;
    timer.start();
    stream.wait_for_audio(60s);
    // Far below the limit: the wait ended because audio came, not because it ran out.
    QVERIFY(timer.elapsed() < 30000);
    producer.join();
    std::vector<short> chunk;
    QCOMPARE(stream.poll(chunk, 100, Clock::now(), timeout, Clock::now()).samples, std::size_t(8));
}

QTEST_GUILESS_MAIN(TestAudioStream)
#include "test_audio_stream.moc"
