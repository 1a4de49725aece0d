// SPDX-License-Identifier: GPL-3.0-or-later
#include "say/progress_line.h"

#include <QTest>

// The time left comes from the speaking rate measured since the first piece was written.
class TestProgressLine final : public QObject {
    Q_OBJECT

private slots:
    void timeLeft_fallsWithASteadyRate_data();
    void timeLeft_fallsWithASteadyRate();
    void text_showsTheShareAndWhatIsKnown();
};

void TestProgressLine::timeLeft_fallsWithASteadyRate_data()
{
    QTest::addColumn<qint64>("start_ms"); // when the first piece was written
    QTest::newRow("quick start") << qint64{500};
    // Workers starting and a first batch spoken before any audio: not speaking time.
    QTest::newRow("slow start") << qint64{20000};
}

void TestProgressLine::timeLeft_fallsWithASteadyRate()
{
    QFETCH(qint64, start_ms);
    ProgressLine line(stderr, false);
    constexpr qint64 total = 1000;
    QCOMPARE(line.time_left(100, total, start_ms), qint64{-1}); // one point tells no rate
    // 100 characters a second: each second, one second less.
    qint64 previous = -1;
    for (qint64 second = 1; second <= 9; ++second) {
        const qint64 left = line.time_left(100 + 100 * second, total, start_ms + 1000 * second);
        QCOMPARE(left, 1000 * (9 - second));
        QVERIFY(previous < 0 || left < previous);
        previous = left;
    }
    QCOMPARE(line.time_left(0, 0, start_ms + 10000), qint64{-1}); // no total: nothing to tell
}

void TestProgressLine::text_showsTheShareAndWhatIsKnown()
{
    QCOMPARE(ProgressLine::text(250, 1000, 61.5, 3000, 9000),
             QStringLiteral(" 25%  elapsed 0:03  left 0:09  speech 1:01"));
    QCOMPARE(ProgressLine::text(999, 1000, 0, 3000, -1), QStringLiteral(" 99%  elapsed 0:03  speech 0:00"));
    QCOMPARE(ProgressLine::text(5, 0, 3700, 3600000, 10), QStringLiteral("elapsed 1:00:00  speech 1:01:40"));
}

QTEST_GUILESS_MAIN(TestProgressLine)
#include "test_progress_line.moc"
