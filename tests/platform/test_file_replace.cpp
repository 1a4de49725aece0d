#include "file_bytes.h"
#include "file_size_limit.h"
#include "platform/file_replace.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestFileReplace final : public QObject {
    Q_OBJECT

private slots:
    void replace_writesNewAndShorterContent();
    void replace_shortWriteKeepsTheOldFileWhole_data();
    void replace_shortWriteKeepsTheOldFileWhole();
    void replace_failsInMissingFolder();
};

void TestFileReplace::replace_writesNewAndShorterContent()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f"));
    QVERIFY(replace_file(path, "a longer first version"));
    QVERIFY(replace_file(path, "short"));
    QCOMPARE(file_bytes::read(path), QByteArray("short"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("f")});
}

void TestFileReplace::replace_shortWriteKeepsTheOldFileWhole_data()
{
    // Smaller than Qt's write buffer and larger: both must fail, not leave a truncated file.
    QTest::addColumn<int>("size");
    QTest::newRow("small") << 10;
    QTest::newRow("large") << 100000;
}

void TestFileReplace::replace_shortWriteKeepsTheOldFileWhole()
{
    QFETCH(int, size);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f"));
    QVERIFY(file_bytes::write(path, "old"));
    {
        FileSizeLimit full_disk(4);
        QVERIFY(full_disk.active());
        QVERIFY(!replace_file(path, QByteArray(size, 'x')));
    }
    QCOMPARE(file_bytes::read(path), QByteArray("old"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("f")});
}

void TestFileReplace::replace_failsInMissingFolder()
{
    QTemporaryDir dir;
    QVERIFY(!replace_file(dir.filePath(QStringLiteral("missing/f")), "x"));
}

QTEST_GUILESS_MAIN(TestFileReplace)
#include "test_file_replace.moc"
