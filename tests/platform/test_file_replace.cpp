// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_bytes.h"
#include "file_size_limit.h"
#include "platform/file_replace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

Q_DECLARE_METATYPE(FileSync)

class TestFileReplace final : public QObject {
    Q_OBJECT

private slots:
    void replace_writesNewAndShorterContent_data();
    void replace_writesNewAndShorterContent();
    void replace_shortWriteKeepsTheOldFileWhole_data();
    void replace_shortWriteKeepsTheOldFileWhole();
    void replace_failsInMissingFolder();
    void replace_writesIntoNodesAndNeverReplacesThem_data();
    void replace_writesIntoNodesAndNeverReplacesThem();
    void replace_keepsPermissionsAndLinks();
    void replace_refusesTargetsNotToBeWritten_data();
    void replace_refusesTargetsNotToBeWritten();
};

void TestFileReplace::replace_writesNewAndShorterContent_data()
{
    QTest::addColumn<FileSync>("sync");
    QTest::newRow("durable") << FileSync::Durable;
    QTest::newRow("unflushed") << FileSync::Unflushed;
}

void TestFileReplace::replace_writesNewAndShorterContent()
{
    QFETCH(FileSync, sync);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f"));
    QVERIFY(replace_file(path, "a longer first version", sync));
    QVERIFY(replace_file(path, "short", sync));
    QCOMPARE(file_bytes::read(path), QByteArray("short"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("f")});
    // Readable by everyone the umask lets read it, as any new file: a library written to a
    // shared folder is loaded by other users too.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat written {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &written), 0);
    QCOMPARE(written.st_mode & 0777, 0666 & ~mask);
}

void TestFileReplace::replace_shortWriteKeepsTheOldFileWhole_data()
{
    // Smaller than Qt's write buffer and larger: both must fail, not leave a truncated file.
    QTest::addColumn<int>("size");
    QTest::addColumn<FileSync>("sync");
    QTest::newRow("small") << 10 << FileSync::Durable;
    QTest::newRow("large") << 100000 << FileSync::Durable;
    QTest::newRow("small unflushed") << 10 << FileSync::Unflushed;
    QTest::newRow("large unflushed") << 100000 << FileSync::Unflushed;
}

void TestFileReplace::replace_shortWriteKeepsTheOldFileWhole()
{
    QFETCH(int, size);
    QFETCH(FileSync, sync);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f"));
    QVERIFY(file_bytes::write(path, "old"));
    {
        FileSizeLimit full_disk(4);
        QVERIFY(full_disk.active());
        QVERIFY(!replace_file(path, QByteArray(size, 'x'), sync));
    }
    QCOMPARE(file_bytes::read(path), QByteArray("old"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("f")});
}

void TestFileReplace::replace_failsInMissingFolder()
{
    QTemporaryDir dir;
    QVERIFY(!replace_file(dir.filePath(QStringLiteral("missing/f")), "x"));
}

void TestFileReplace::replace_writesIntoNodesAndNeverReplacesThem_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("written");
    QTest::newRow("device") << QStringLiteral("device") << true;
    QTest::newRow("pipe with a reader") << QStringLiteral("pipe") << true;
    // Waiting for a reader would hang the window: refused at once.
    QTest::newRow("pipe without a reader") << QStringLiteral("lonely pipe") << false;
    QTest::newRow("folder") << QStringLiteral("folder") << false;
}

void TestFileReplace::replace_writesIntoNodesAndNeverReplacesThem()
{
    QFETCH(QString, kind);
    QFETCH(bool, written);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("node"));
    const QByteArray name = QFile::encodeName(path);
    int reader = -1;
    if (kind == QLatin1StringView("device")) {
        // A node of its own for /dev/null's device: the real one must never be at stake.
        if (::mknod(name.constData(), S_IFCHR | 0600, makedev(1, 3)) != 0)
            QSKIP("making a device node needs CAP_MKNOD");
    } else if (kind == QLatin1StringView("folder")) {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("node")));
    } else {
        QCOMPARE(::mkfifo(name.constData(), 0600), 0);
        if (kind == QLatin1StringView("pipe"))
            reader = ::open(name.constData(), O_RDONLY | O_NONBLOCK);
    }
    struct stat before {};
    QCOMPARE(::stat(name.constData(), &before), 0);

    QCOMPARE(replace_file(path, "speech"), written);

    struct stat after {};
    QCOMPARE(::stat(name.constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_mode & S_IFMT, before.st_mode & S_IFMT);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("node")});
    if (reader >= 0) {
        char got[16] = {};
        const ssize_t n = ::read(reader, got, sizeof got);
        ::close(reader);
        QCOMPARE(QByteArray(got, static_cast<int>(qMax<ssize_t>(n, 0))), QByteArray("speech"));
    }
}

void TestFileReplace::replace_keepsPermissionsAndLinks()
{
    QTemporaryDir dir;
    const QString real = dir.filePath(QStringLiteral("settings"));
    const QString link = dir.filePath(QStringLiteral("link"));
    QVERIFY(file_bytes::write(real, "old"));
    QCOMPARE(::chmod(QFile::encodeName(real).constData(), 0600), 0);
    QVERIFY(QFile::link(real, link));

    QVERIFY(replace_file(link, "new"));

    QCOMPARE(file_bytes::read(real), QByteArray("new"));
    QCOMPARE(QFileInfo(link).symLinkTarget(), real);
    struct stat written {};
    QCOMPARE(::stat(QFile::encodeName(real).constData(), &written), 0);
    QCOMPARE(written.st_mode & 0777, mode_t(0600));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             (QStringList{QStringLiteral("link"), QStringLiteral("settings")}));
}

void TestFileReplace::replace_refusesTargetsNotToBeWritten_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("as_nobody");
    // Without any write permission the file is read-only on purpose, even for root.
    QTest::newRow("read-only") << 0444 << false;
    QTest::newRow("another user's") << 0644 << true;
}

void TestFileReplace::replace_refusesTargetsNotToBeWritten()
{
    QFETCH(int, mode);
    QFETCH(bool, as_nobody);
    if (as_nobody && ::geteuid() != 0)
        QSKIP("taking another user's identity needs root");
    QTemporaryDir dir;
    QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    const QString path = dir.filePath(QStringLiteral("f"));
    QVERIFY(file_bytes::write(path, "kept"));
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), static_cast<mode_t>(mode)), 0);

    bool replaced = true;
    int reason = 0;
    if (as_nobody) {
        // In a child: a thread of the test runner must not keep another identity.
        const pid_t child = ::fork();
        if (child == 0) {
            const bool ok =
                ::setgid(65534) == 0 && ::setuid(65534) == 0 && !replace_file(path, "new") && errno == EACCES;
            ::_exit(ok ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        replaced = !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        reason = EACCES;
    } else {
        replaced = replace_file(path, "new");
        reason = errno;
    }
    QVERIFY(!replaced);
    QCOMPARE(reason, EACCES);
    QCOMPARE(file_bytes::read(path), QByteArray("kept"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("f")});
}

QTEST_GUILESS_MAIN(TestFileReplace)
#include "test_file_replace.moc"
