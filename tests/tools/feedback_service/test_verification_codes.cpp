// SPDX-License-Identifier: GPL-3.0-or-later
#include "verification_codes.h"

#include <QTest>

using namespace std::chrono_literals;
using Clock = VerificationCodes::Clock;

class TestVerificationCodes final : public QObject {
    Q_OBJECT

private slots:
    void code_isGoodOnceForItsClientWithinItsLifetime();
    void fullBook_dropsExpiredThenOldest();
    void reinstatedCode_keepsItsAgeAndYieldsToANewerOne();
};

void TestVerificationCodes::code_isGoodOnceForItsClientWithinItsLifetime()
{
    VerificationCodes codes(300s, 10);
    const Clock::time_point t0{};
    codes.remember("a", "AB12", t0);
    QVERIFY(!codes.redeem("b", "AB12", t0));
    QVERIFY(codes.redeem("a", "ab12", t0 + 300s));
    QVERIFY(!codes.redeem("a", "AB12", t0 + 1s));

    codes.remember("a", "CD34", t0);
    QVERIFY(!codes.redeem("a", "CD34", t0 + 301s));
    codes.remember("a", "EF56", t0);
    QVERIFY(!codes.redeem("a", "XXXX", t0));
    QVERIFY(!codes.redeem("a", "EF56", t0));
}

void TestVerificationCodes::fullBook_dropsExpiredThenOldest()
{
    VerificationCodes codes(60s, 3);
    const Clock::time_point t0{};
    codes.remember("old", "1111", t0);
    codes.remember("mid", "2222", t0 + 50s);
    codes.remember("new", "3333", t0 + 55s);
    codes.remember("next", "4444", t0 + 70s); // "old" has expired and goes
    QCOMPARE(codes.size(), std::size_t(3));
    codes.remember("last", "5555", t0 + 71s); // none expired: the oldest, "mid", goes
    QCOMPARE(codes.size(), std::size_t(3));
    QVERIFY(!codes.redeem("mid", "2222", t0 + 71s));
    QVERIFY(codes.redeem("new", "3333", t0 + 71s));
    QVERIFY(codes.redeem("last", "5555", t0 + 71s));
}

void TestVerificationCodes::reinstatedCode_keepsItsAgeAndYieldsToANewerOne()
{
    VerificationCodes codes(300s, 10);
    const Clock::time_point t0{};
    codes.remember("a", "AB12", t0);
    const auto issued = codes.redeem("a", "AB12", t0 + 10s);
    QVERIFY(issued);
    QCOMPARE(*issued, t0);
    codes.reinstate("a", "AB12", *issued);
    QVERIFY(codes.redeem("a", "ab12", t0 + 20s));
    // Given back, it still expires when it would have.
    codes.reinstate("a", "AB12", *issued);
    QVERIFY(!codes.redeem("a", "AB12", t0 + 301s));
    // A picture fetched meanwhile wins over the code given back.
    codes.remember("a", "CD34", t0 + 30s);
    codes.reinstate("a", "AB12", t0);
    QVERIFY(!codes.redeem("a", "AB12", t0 + 31s));
    codes.remember("a", "CD34", t0 + 30s);
    codes.reinstate("a", "AB12", t0);
    QVERIFY(codes.redeem("a", "CD34", t0 + 31s));
}

QTEST_GUILESS_MAIN(TestVerificationCodes)
#include "test_verification_codes.moc"
