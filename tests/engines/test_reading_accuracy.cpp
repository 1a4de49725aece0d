// SPDX-License-Identifier: GPL-3.0-or-later
// The Chinese reading measured on labelled sentences: 2,000 of the polyphone benchmark's
// development sentences and our own everyday ones. A regression guard, not a timing.

#include "chinese_reading.h"
#include "labelled_readings.h"
#include "utf8.h"

#include <QTemporaryDir>
#include <QTest>
#include <fstream>

using namespace speech;

class TestReadingAccuracy : public QObject {
    Q_OBJECT

private slots:
    void polyphones_readRightOnLabelledSentences_data();
    void polyphones_readRightOnLabelledSentences();
    void labelledSentences_refuseMalformedFiles_data();
    void labelledSentences_refuseMalformedFiles();
};

void TestReadingAccuracy::polyphones_readRightOnLabelledSentences_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("least");
    QTest::newRow("development sentences") << QStringLiteral("cpp_dev_2000.sent") << 2000 << 97.0;
    QTest::newRow("everyday sentences") << QStringLiteral("everyday_polyphones.sent") << 89 << 97.0;
}

void TestReadingAccuracy::polyphones_readRightOnLabelledSentences()
{
    QFETCH(QString, file);
    QFETCH(int, count);
    QFETCH(double, least);
    std::vector<LabelledSentence> sentences;
    std::string error;
    QVERIFY2(load_labelled_sentences((QStringLiteral(DATA_DIR "/") + file).toStdString(), sentences, error),
             error.c_str());
    QCOMPARE(static_cast<int>(sentences.size()), count);
    int right = 0;
    QStringList wrong;
    for (const LabelledSentence &s : sentences) {
        const std::string got = reading_at(decide_chinese_readings(s.text, nullptr), s.target);
        if (got == s.reading)
            ++right;
        else if (wrong.size() < 10)
            wrong << QString::fromStdString(u32_to_utf8(s.text) + ": " + s.reading + " read " + got);
    }
    const double accuracy = 100.0 * right / count;
    QVERIFY2(accuracy >= least, qPrintable(QStringLiteral("%1 %, first wrong:\n").arg(accuracy) + wrong.join('\n')));
}

void TestReadingAccuracy::labelledSentences_refuseMalformedFiles_data()
{
    QTest::addColumn<QByteArray>("sentences");
    QTest::addColumn<QByteArray>("labels");
    QTest::addColumn<bool>("loads");
    QTest::newRow("well formed") << QByteArray("别▁着▁急\r\n") << QByteArray("zhao2\r\n") << true;
    QTest::newRow("label missing") << QByteArray("别▁着▁急\n慢慢▁地▁走\n") << QByteArray("zhao2\n") << false;
    QTest::newRow("no marks") << QByteArray("别着急\n") << QByteArray("zhao2\n") << false;
    QTest::newRow("two characters marked") << QByteArray("别▁着急▁\n") << QByteArray("zhao2\n") << false;
}

void TestReadingAccuracy::labelledSentences_refuseMalformedFiles()
{
    QFETCH(QByteArray, sentences);
    QFETCH(QByteArray, labels);
    QFETCH(bool, loads);
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString() + "/set";
    std::ofstream(base + ".sent", std::ios::binary) << sentences.toStdString();
    std::ofstream(base + ".lb", std::ios::binary) << labels.toStdString();
    std::vector<LabelledSentence> out;
    std::string error;
    QCOMPARE(load_labelled_sentences(base + ".sent", out, error), loads);
    if (loads) {
        QCOMPARE(out.front().target, std::size_t(1));
        QVERIFY(out.front().text == U"别着急");
        QCOMPARE(out.front().reading, std::string("zhao2"));
    } else {
        QVERIFY(!error.empty());
    }
}

QTEST_GUILESS_MAIN(TestReadingAccuracy)
#include "test_reading_accuracy.moc"
