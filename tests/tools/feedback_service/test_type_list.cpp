// SPDX-License-Identifier: GPL-3.0-or-later
#include "type_list.h"

#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

class TestTypeList final : public QObject {
    Q_OBJECT

private slots:
    void list_isServedCanonically_data();
    void list_isServedCanonically();
    void badEntry_isRefusedWithItsLine_data();
    void badEntry_isRefusedWithItsLine();
    void read_takesOnlyBoundedRegularFiles();
};

void TestTypeList::list_isServedCanonically_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("served");
    const QByteArray three = QStringLiteral("1:建议;2:问题;3:其他").toUtf8();
    QTest::newRow("one line") << three << three;
    QTest::newRow("one entry a line, ';' ended") << QStringLiteral("1:建议;\n2:问题;\n3:其他\n").toUtf8() << three;
    QTest::newRow("no ';', CR LF, blanks and empty lines")
        << QStringLiteral("\r\n  1 : 建议 \r\n\t2:\t问题\r\n\r\n3:其他 ;;\r\n").toUtf8() << three;
    QTest::newRow("inner blanks of a name kept") << QByteArray("7:a b") << QByteArray("7:a b");
}

void TestTypeList::list_isServedCanonically()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, served);
    QString error;
    const std::optional<TypeList> list = type_list::parse(file, error);
    QVERIFY2(list, qPrintable(error));
    QCOMPARE(list->canonical, served);
    QCOMPARE(list->numbers.size(), served.count(':'));
}

void TestTypeList::badEntry_isRefusedWithItsLine_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("error");
    QTest::newRow("no colon") << QByteArray("1:a;\nhello\n") << QStringLiteral("line 2: \"hello\"");
    QTest::newRow("name as number") << QByteArray("1:a\n\n建议:b") << QStringLiteral("line 3: \"建议\" is not a type");
    QTest::newRow("sign") << QByteArray("-1:a") << QStringLiteral("line 1:");
    QTest::newRow("too many digits") << QByteArray("1234567890:a") << QStringLiteral("line 1:");
    QTest::newRow("empty name") << QByteArray("1:a;2: \n") << QStringLiteral("line 1: type 2 needs a name");
    QTest::newRow("second colon") << QByteArray("1:a:b") << QStringLiteral("line 1: type 1 needs a name");
    QTest::newRow("control character") << QByteArray("1:a\x1b[2J") << QStringLiteral("line 1: type 1");
    QTest::newRow("twice") << QByteArray("1:a\n01:b") << QStringLiteral("line 2: type 1 is listed twice");
    QTest::newRow("nothing listed") << QByteArray(" ;\n; \n") << QStringLiteral("no type listed");
    QTest::newRow("not UTF-8") << QByteArray("1:\xff") << QStringLiteral("not UTF-8");
}

void TestTypeList::badEntry_isRefusedWithItsLine()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, error);
    QString told;
    QVERIFY(!type_list::parse(file, told));
    QVERIFY2(told.startsWith(error), qPrintable(told));
}

void TestTypeList::read_takesOnlyBoundedRegularFiles()
{
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("types.txt"));
    const QString big = dir.filePath(QStringLiteral("big.txt"));
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    QFile file(good);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("1:a\n");
    file.close();
    file.setFileName(big);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("1:a;" + QByteArray(type_list::kFileLimit, ' '));
    file.close();
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);

    QString error;
    QVERIFY2(type_list::read(good, error), qPrintable(error));
    // A pipe nobody writes to would block the open for ever; a device would be read without end.
    QVERIFY(!type_list::read(fifo, error));
    QVERIFY2(error.contains(QStringLiteral("not a regular file")), qPrintable(error));
    QVERIFY(!type_list::read(QStringLiteral("/dev/zero"), error));
    QVERIFY(!type_list::read(big, error));
    QVERIFY2(error.contains(QStringLiteral("larger than")), qPrintable(error));
    QVERIFY(!type_list::read(dir.filePath(QStringLiteral("missing")), error));
    QCOMPARE(error, QStringLiteral("no such file"));
}

QTEST_GUILESS_MAIN(TestTypeList)
#include "test_type_list.moc"
