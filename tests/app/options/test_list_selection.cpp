// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/options/list_selection.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QTest>

class TestListSelection final : public QObject {
    Q_OBJECT

private slots:
    void selectByText_firstItemBeginningWithText_data();
    void selectByText_firstItemBeginningWithText();
    void selectByText_noMatchKeepsSelection();
    void selectByPosition_clamps_data();
    void selectByPosition_clamps();
    void selections_raiseNoActivated();

private:
    static void fill(QComboBox &list, const QStringList &items, int selected);
};

void TestListSelection::fill(QComboBox &list, const QStringList &items, int selected)
{
    list.addItems(items);
    list.setCurrentIndex(selected);
}

void TestListSelection::selectByText_firstItemBeginningWithText_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    const QStringList encodings{QStringLiteral("raw"),     QStringLiteral("amr"),       QStringLiteral("amr-fx"),
                                QStringLiteral("amr-wb"),  QStringLiteral("amr-wb-fx"), QStringLiteral("speex"),
                                QStringLiteral("speex-wb")};
    QStringList levels;
    for (int n = 0; n <= 10; ++n)
        levels.append(QString::number(n));
    QTest::newRow("exact text") << encodings << QStringLiteral("amr-wb") << 3;
    QTest::newRow("prefix takes the first") << encodings << QStringLiteral("amr") << 1;
    QTest::newRow("case ignored") << encodings << QStringLiteral("SPEEX") << 5;
    QTest::newRow("1 before 10") << levels << QStringLiteral("1") << 1;
    QTest::newRow("10 itself") << levels << QStringLiteral("10") << 10;
    QTest::newRow("chinese") << QStringList{QStringLiteral("最慢"), QStringLiteral("正常"), QStringLiteral("正常2")}
                             << QStringLiteral("正常") << 1;
    QTest::newRow("item shorter than text")
        << QStringList{QStringLiteral("GB"), QStringLiteral("GB2312")} << QStringLiteral("GB2312") << 1;
}

void TestListSelection::selectByText_firstItemBeginningWithText()
{
    QFETCH(QStringList, items);
    QFETCH(QString, text);
    QFETCH(int, expected);
    QComboBox list;
    fill(list, items, 0);
    QVERIFY(select_by_text(&list, text));
    QCOMPARE(list.currentIndex(), expected);
}

void TestListSelection::selectByText_noMatchKeepsSelection()
{
    QComboBox list;
    fill(list, {QStringLiteral("AUTO"), QStringLiteral("GB2312"), QStringLiteral("GBK")}, 2);
    QVERIFY(!select_by_text(&list, QStringLiteral("UTF8")));
    QCOMPARE(list.currentIndex(), 2);
    // The item text must begin with the whole text, not the other way round.
    QVERIFY(!select_by_text(&list, QStringLiteral("AUTOMATIC")));
    QCOMPARE(list.currentIndex(), 2);

    list.setCurrentIndex(-1);
    QVERIFY(!select_by_text(&list, QStringLiteral("x")));
    QCOMPARE(list.currentIndex(), -1);

    QComboBox empty;
    QVERIFY(!select_by_text(&empty, QStringLiteral("AUTO")));
    QCOMPARE(empty.currentIndex(), -1);
}

void TestListSelection::selectByPosition_clamps_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("expected");
    QTest::newRow("inside") << 5 << 3 << 3;
    QTest::newRow("last") << 5 << 4 << 4;
    QTest::newRow("above last") << 5 << 5 << 4;
    QTest::newRow("minus one clears") << 5 << -1 << -1;
    QTest::newRow("lower clears") << 5 << -7 << -1;
    QTest::newRow("empty list") << 0 << 2 << -1;
}

void TestListSelection::selectByPosition_clamps()
{
    QFETCH(int, count);
    QFETCH(int, position);
    QFETCH(int, expected);
    QComboBox list;
    for (int i = 0; i < count; ++i)
        list.addItem(QString::number(i));
    if (count > 0)
        list.setCurrentIndex(1);
    select_by_position(&list, position);
    QCOMPARE(list.currentIndex(), expected);
}

void TestListSelection::selections_raiseNoActivated()
{
    QComboBox list;
    fill(list, {QStringLiteral("raw"), QStringLiteral("amr"), QStringLiteral("speex")}, 0);
    QSignalSpy activated(&list, &QComboBox::activated);
    QSignalSpy changed(&list, &QComboBox::currentIndexChanged);
    QVERIFY(select_by_text(&list, QStringLiteral("speex")));
    select_by_position(&list, 1);
    select_by_position(&list, -1);
    QCOMPARE(changed.count(), 3);
    QCOMPARE(activated.count(), 0);
}

QTEST_MAIN(TestListSelection)
#include "test_list_selection.moc"
