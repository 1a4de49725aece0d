// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sound_output_null.h"
#include "say/play_stream.h"

#include <QTest>
#include <atomic>
#include <mutex>
#include <thread>

namespace {

constexpr quint32 kRate = 8000;
constexpr qsizetype kSecond = kRate * 2; // bytes of one second of 16-bit mono

// What the null output saw: blocks written and blocks played, in order.
struct Seen {
    std::mutex mutex;
    QList<NullOutputEvent::Kind> events;
    int count(NullOutputEvent::Kind kind)
    {
        const std::lock_guard lock(mutex);
        return static_cast<int>(events.count(kind));
    }
};

} // namespace

// Playing as the audio comes, on the null output (which keeps a real device's time).
class TestPlayStream final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void write_waitsWhileFourSecondsAreQueued();
    void stop_endsAWaitingWriteWithoutWriting();

private:
    Seen m_seen;
    std::atomic<bool> m_stop{false};
};

void TestPlayStream::initTestCase()
{
    qputenv("LUMENO_SOUND", "null");
}

void TestPlayStream::init()
{
    m_stop = false;
    m_seen.events.clear();
    sound_output_null_observe([this](const NullOutputEvent &event) {
        const std::lock_guard lock(m_seen.mutex);
        m_seen.events.append(event.kind);
    });
}

void TestPlayStream::cleanup()
{
    sound_output_null_observe({});
}

void TestPlayStream::write_waitsWhileFourSecondsAreQueued()
{
    PlayStream player(PcmFormat{kRate}, [this] { return m_stop.load(); });
    QVERIFY(player.open());
    const QByteArray half_second(kSecond / 2, '\x10');
    // Eight half seconds fill the queue; the ninth may go only once the first has been heard.
    for (int i = 0; i < 9; ++i)
        QVERIFY(player.write(half_second));
    const std::lock_guard lock(m_seen.mutex);
    const QList<NullOutputEvent::Kind> &events = m_seen.events;
    qsizetype writes = 0;
    qsizetype played = 0;
    for (const NullOutputEvent::Kind kind : events) {
        writes += kind == NullOutputEvent::Kind::Write ? 1 : 0;
        played += kind == NullOutputEvent::Kind::Done ? 1 : 0;
        // Never more than four seconds handed over and not yet heard.
        QVERIFY2((writes - played) * half_second.size() <= 4 * kSecond,
                 qPrintable(QStringLiteral("%1 written, %2 played").arg(writes).arg(played)));
    }
    QCOMPARE(writes, 9);
    QVERIFY(played >= 1);
}

void TestPlayStream::stop_endsAWaitingWriteWithoutWriting()
{
    PlayStream player(PcmFormat{kRate}, [this] { return m_stop.load(); });
    QVERIFY(player.open());
    // Two seconds each: the queue is full, and stays full for two seconds.
    const QByteArray two_seconds(2 * kSecond, '\x10');
    QVERIFY(player.write(two_seconds));
    QVERIFY(player.write(two_seconds));
    bool written = true;
    std::thread writer([&] { written = player.write(two_seconds); });
    // The write is waiting now (or about to); a stop ends it at once.
    QTest::qWait(100);
    m_stop = true;
    writer.join();
    QCOMPARE(written, false);
    QCOMPARE(m_seen.count(NullOutputEvent::Kind::Write), 2);
    QCOMPARE(m_seen.count(NullOutputEvent::Kind::Done), 0);
    // Nor does finishing wait for the rest to be heard.
    QCOMPARE(player.finish(), false);
}

QTEST_GUILESS_MAIN(TestPlayStream)
#include "test_play_stream.moc"
