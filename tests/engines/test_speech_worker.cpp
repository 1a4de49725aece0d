// SPDX-License-Identifier: GPL-3.0-or-later
// The worker thread that runs espeak-ng: order of jobs, cancelling and stopping.

#include "qtts.h"
#include "speech_worker.h"
#include "voice_profiles.h"

#include <QTest>
#include <thread>

using namespace speech;
using namespace std::chrono_literals;

class TestSpeechWorker : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void worker_cancelStopsASynthesisAtOnce();
    void worker_reportsAnUnknownEspeakVoice();
    void worker_stopAbortsTheRunningJobAndRestarts();

private:
    std::shared_ptr<SpeechJob> job(const std::u32string &text) const;
    // Collects a stream's audio until its end; returns the number of samples.
    static std::size_t drain(AudioStream &stream, int *error = nullptr);

    SpeechWorker m_worker;
    VoiceProfile m_profile;
};

namespace {

// About 190 s of speech: far more than can be made between two polls.
std::u32string long_text()
{
    std::u32string text;
    for (int i = 0; i < 60; ++i)
        text += U"今天的天气非常好，我们一起去公园散步吧。";
    return text;
}

} // namespace

void TestSpeechWorker::initTestCase()
{
    QCOMPARE(m_worker.start(), QTTS_SUCCESS);
    QCOMPARE(m_worker.started(), QTTS_SUCCESS);
    QCOMPARE(m_worker.input_rate(), 22050);
    QVERIFY(voice_profile("xiaoyan", m_profile));
}

void TestSpeechWorker::cleanupTestCase()
{
    m_worker.stop();
}

std::shared_ptr<SpeechJob> TestSpeechWorker::job(const std::u32string &text) const
{
    auto job = std::make_shared<SpeechJob>();
    job->segments = plan_speech(text, m_profile, TextType::Plain, NumberReading::ValuesFirst);
    job->rate = m_profile.base_rate;
    job->pitch = m_profile.pitch;
    job->range = m_profile.range;
    job->pipeline.output_rate = 16000;
    job->stream = std::make_shared<AudioStream>(Clock::now());
    return job;
}

std::size_t TestSpeechWorker::drain(AudioStream &stream, int *error)
{
    std::size_t total = 0;
    std::vector<short> chunk;
    while (true) {
        const auto poll = stream.poll(chunk, 4000, Clock::now(), 60s, Clock::now());
        total += poll.samples;
        if (poll.last) {
            if (error != nullptr)
                *error = poll.error;
            return total;
        }
        if (poll.samples == 0)
            stream.wait_for_audio(50ms);
    }
}

void TestSpeechWorker::worker_cancelStopsASynthesisAtOnce()
{
    auto whole = job(long_text());
    m_worker.submit(whole);
    const std::size_t full = drain(*whole->stream);
    QVERIFY2(full > 16000 * 120, qPrintable(QString::number(full)));

    auto cancelled = job(long_text());
    m_worker.submit(cancelled);
    std::vector<short> chunk;
    while (cancelled->stream->poll(chunk, 4000, Clock::now(), 60s, Clock::now()).samples == 0)
        cancelled->stream->wait_for_audio(50ms);
    cancelled->stream->cancel();
    // The next job runs only once the cancelled one has left espeak-ng.
    auto next = job(U"你好。");
    m_worker.submit(next);
    int error = -1;
    QVERIFY(drain(*next->stream, &error) > 0);
    QCOMPARE(error, 0);
    const std::size_t made = drain(*cancelled->stream) + 4000;
    QVERIFY2(made < full / 10, qPrintable(u"%1 of %2 samples"_qs.arg(made).arg(full)));
}

void TestSpeechWorker::worker_reportsAnUnknownEspeakVoice()
{
    auto bad = job(U"你好");
    bad->segments.front().voice = "no-such-language+f2";
    m_worker.submit(bad);
    int error = 0;
    drain(*bad->stream, &error);
    QCOMPARE(error, QTTS_ERROR_SYNTHESIS_FAILED);
}

void TestSpeechWorker::worker_stopAbortsTheRunningJobAndRestarts()
{
    auto running = job(long_text());
    auto queued = job(U"你好。");
    m_worker.submit(running);
    m_worker.submit(queued);
    std::vector<short> chunk;
    while (running->stream->poll(chunk, 4000, Clock::now(), 60s, Clock::now()).samples == 0)
        running->stream->wait_for_audio(50ms);
    m_worker.stop();
    QVERIFY(queued->stream->cancelled());
    QVERIFY(running->stream->cancelled());
    QVERIFY(drain(*running->stream) < 16000 * 120);

    // espeak-ng stays initialised; a new thread takes over.
    QCOMPARE(m_worker.start(), QTTS_SUCCESS);
    auto after = job(U"你好。");
    m_worker.submit(after);
    int error = -1;
    QVERIFY(drain(*after->stream, &error) > 8000);
    QCOMPARE(error, 0);
}

QTEST_GUILESS_MAIN(TestSpeechWorker)
#include "test_speech_worker.moc"
