// SPDX-License-Identifier: GPL-3.0-or-later
#include "say/background_sink.h"

#include <QTest>

namespace {

// Records what reaches it; refuses audio once it has taken limit bytes.
class RecordingSink final : public AudioSink {
public:
    explicit RecordingSink(qsizetype limit = -1)
        : m_limit(limit)
    {
    }
    bool write(QByteArrayView pcm) override
    {
        if (m_limit >= 0 && received.size() + pcm.size() > m_limit)
            return fail(QStringLiteral("disk full"));
        received += pcm;
        return true;
    }
    bool sentence_end() override
    {
        received += '|';
        return true;
    }
    bool finish() override
    {
        finished = true;
        return true;
    }
    QByteArray received;
    bool finished = false;

private:
    qsizetype m_limit;
};

} // namespace

class TestBackgroundSink final : public QObject {
    Q_OBJECT

private slots:
    void blocksAndSentenceEnds_arriveInOrder();
    void innerFailure_showsAtTheNextCallWithItsMessage();
    void withoutFinish_innerIsNeverFinished();
};

void TestBackgroundSink::blocksAndSentenceEnds_arriveInOrder()
{
    RecordingSink inner;
    QByteArray expected;
    {
        BackgroundSink sink(inner);
        // Far more than the sink lets wait, so the writer has to wait for the thread.
        for (int i = 0; i < 300; ++i) {
            const QByteArray block(8192 + i, static_cast<char>('a' + i % 26));
            QVERIFY(sink.write(block));
            expected += block;
            if (i % 7 == 0) {
                QVERIFY(sink.sentence_end());
                expected += '|';
            }
        }
        QVERIFY(sink.finish());
    }
    QVERIFY(inner.finished);
    QVERIFY(inner.received == expected);
}

void TestBackgroundSink::innerFailure_showsAtTheNextCallWithItsMessage()
{
    RecordingSink inner(100000);
    BackgroundSink sink(inner);
    bool refused = false;
    for (int i = 0; i < 1000 && !refused; ++i)
        refused = !sink.write(QByteArray(4096, 'x'));
    if (!refused)
        refused = !sink.finish();
    QVERIFY(refused);
    QCOMPARE(sink.error(), QStringLiteral("disk full"));
    QVERIFY(!sink.finish());
    QVERIFY(!inner.finished);
}

void TestBackgroundSink::withoutFinish_innerIsNeverFinished()
{
    RecordingSink inner;
    {
        BackgroundSink sink(inner);
        QVERIFY(sink.write(QByteArray(1000, 'x')));
    }
    QVERIFY(!inner.finished);
}

QTEST_GUILESS_MAIN(TestBackgroundSink)
#include "test_background_sink.moc"
