// SPDX-License-Identifier: GPL-3.0-or-later
// The polyphone network: one LSTM step against numbers worked out by hand, the carried model
// against the outputs published with it, and a malformed table refused.

#include "polyphone_model.h"
#include "utf8.h"

#include <QFile>
#include <QTest>
#include <cmath>
#include <cstring>
#include <vector>

using namespace speech;

class TestPolyphoneModel : public QObject {
    Q_OBJECT

private slots:
    void lstmStep_matchesHandComputedGates_data();
    void lstmStep_matchesHandComputedGates();
    void lstmStep_carriesStateThroughHiddenWeights();
    void model_reproducesPublishedOutputs();
    void model_refusesDamagedTable_data();
    void model_refusesDamagedTable();
};

void TestPolyphoneModel::lstmStep_matchesHandComputedGates_data()
{
    QTest::addColumn<float>("previousCell");
    QTest::addColumn<double>("cell");
    QTest::addColumn<double>("hidden");
    // One unit, input 1, all weights 0 but the input column: z = (ln 3, 0, ln 2, ln 4), so
    // i = 3/4, f = 1/2, g = tanh(ln 2) = 3/5, o = 4/5; c = c0/2 + 9/20, h = 4/5 tanh(c).
    QTest::newRow("fresh") << 0.0F << 0.45 << 0.8 * std::tanh(0.45);
    QTest::newRow("carried cell") << 0.5F << 0.70 << 0.8 * std::tanh(0.70);
    QTest::newRow("negative cell") << -2.0F << -0.55 << 0.8 * std::tanh(-0.55);
}

void TestPolyphoneModel::lstmStep_matchesHandComputedGates()
{
    QFETCH(float, previousCell);
    QFETCH(double, cell);
    QFETCH(double, hidden);
    // Half of each gate's value sits in each bias, so the two biases must both be added.
    const float input_t[4] = {static_cast<float>(std::log(3.0)), 0.0F, static_cast<float>(std::log(2.0)) - 1.0F,
                              static_cast<float>(std::log(4.0))};
    const float hidden_t[4] = {5.0F, 5.0F, 5.0F, 5.0F}; // multiplied by h0 = 0
    const float input_bias[4] = {0.25F, -0.5F, 0.5F, 0.0F};
    const float hidden_bias[4] = {-0.25F, 0.5F, 0.5F, 0.0F};
    const LstmWeights w{input_t, hidden_t, input_bias, hidden_bias, 1, 1};
    const float x = 1.0F;
    float h = 0.0F;
    float c = previousCell;
    float gates[4];
    lstm_step(w, &x, &h, &c, gates);
    QCOMPARE_LT(std::fabs(c - cell), 1e-6);
    QCOMPARE_LT(std::fabs(h - hidden), 1e-6);
}

void TestPolyphoneModel::lstmStep_carriesStateThroughHiddenWeights()
{
    // Two units, no input weights: the gates come from h0 = (1, 0) through W_hh (transposed,
    // one row per hidden unit, laid out i1 i2 | f1 f2 | g1 g2 | o1 o2), so only the first row
    // counts: z = (0, 0 | 0, 0 | atanh(1/2), -atanh(1/2) | 0, 0), i = f = o = 1/2,
    // g = (1/2, -1/2), c = c0/2 + g/2 = (3/4, 3/4) from c0 = (1, 2), h = tanh(3/4)/2.
    const float a = static_cast<float>(std::atanh(0.5));
    const float input_t[8] = {};
    const float hidden_t[16] = {0, 0, 0, 0, a, -a, 0, 0, /* row of unit 2 */ 9, 9, 9, 9, 9, 9, 9, 9};
    const float zero[8] = {};
    const LstmWeights w{input_t, hidden_t, zero, zero, 1, 2};
    const float x = 3.0F;
    float h[2] = {1.0F, 0.0F};
    float c[2] = {1.0F, 2.0F};
    float gates[8];
    lstm_step(w, &x, h, c, gates);
    QCOMPARE_LT(std::fabs(c[0] - 0.75), 1e-6);
    QCOMPARE_LT(std::fabs(c[1] - 0.75), 1e-6);
    QCOMPARE_LT(std::fabs(h[0] - 0.5 * std::tanh(0.75)), 1e-6);
    QCOMPARE_LT(std::fabs(h[1] - 0.5 * std::tanh(0.75)), 1e-6);
}

void TestPolyphoneModel::model_reproducesPublishedOutputs()
{
    // Each row: a sentence and one reading per character; the model decides the polyphones.
    const PolyphoneModel &model = PolyphoneModel::builtin();
    QVERIFY(model.valid());
    QFile file(QStringLiteral(REFERENCE_FILE));
    QVERIFY(file.open(QIODevice::ReadOnly));
    int checked = 0;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> fields = line.split('\t');
        QCOMPARE(fields.size(), 2);
        const std::u32string sentence = utf8_to_u32(fields[0].toStdString());
        const QList<QByteArray> expected = fields[1].split(' ');
        QCOMPARE(static_cast<std::size_t>(expected.size()), sentence.size());
        std::vector<std::size_t> targets;
        for (std::size_t i = 0; i < sentence.size(); ++i) {
            if (model.is_polyphone(sentence[i]))
                targets.push_back(i);
        }
        for (const bool all_classes : {true, false}) {
            const std::vector<PolyphoneModel::Choice> chosen = model.choose(sentence, targets, all_classes);
            QCOMPARE(chosen.size(), targets.size());
            for (std::size_t k = 0; k < targets.size(); ++k) {
                const QByteArray want = QByteArray(expected[static_cast<qsizetype>(targets[k])]).replace("u:", "v");
                QCOMPARE(QByteArray(model.class_name(chosen[k].reading).data(),
                                    static_cast<qsizetype>(model.class_name(chosen[k].reading).size())),
                         want);
            }
        }
        checked += static_cast<int>(targets.size());
    }
    QCOMPARE_GT(checked, 100);
}

void TestPolyphoneModel::model_refusesDamagedTable_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("cut");
    QTest::newRow("wrong magic") << 0 << 0;
    QTest::newRow("more classes than stored") << 8 << 0;
    QTest::newRow("truncated") << -1 << 4;
}

void TestPolyphoneModel::model_refusesDamagedTable()
{
    QFETCH(int, offset);
    QFETCH(int, cut);
    QFile file(QStringLiteral(MODEL_FILE));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray good = file.readAll();
    // A copy on a 16-byte boundary, as the carried table is.
    std::vector<float> storage(static_cast<std::size_t>(good.size()) / 4 + 4);
    auto *bytes = reinterpret_cast<char *>(storage.data());
    std::memcpy(bytes, good.constData(), static_cast<std::size_t>(good.size()));
    QVERIFY(PolyphoneModel(std::string_view(bytes, static_cast<std::size_t>(good.size()))).valid());
    if (offset >= 0)
        bytes[offset] = static_cast<char>(bytes[offset] + 1);
    const PolyphoneModel damaged(std::string_view(bytes, static_cast<std::size_t>(good.size() - cut)));
    QVERIFY(!damaged.valid());
    QVERIFY(!damaged.is_polyphone(U'着'));
    QVERIFY(damaged.choose(U"别着急", std::vector<std::size_t>{1}).empty());
}

QTEST_GUILESS_MAIN(TestPolyphoneModel)
#include "test_polyphone_model.moc"
