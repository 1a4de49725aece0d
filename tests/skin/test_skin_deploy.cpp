#include "file_bytes.h"
#include "skin/skin_deploy.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

// Where the skin library is written and what is left alone.
class TestSkinDeploy final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void firstPlace_data();
    void firstPlace();
    void folderAtFirstPlace_sendsImageToProgramFolder();
    void newStart_doesNotDisturbAReaderOfTheOldFile();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_first;
    QString m_program;
    const QByteArray m_image = QByteArray("\x7f"
                                          "ELF skin image",
                                          15);
};

namespace {

ino_t inode_of(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

} // namespace

void TestSkinDeploy::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("system")));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("program")));
    m_first = m_dir->filePath(QStringLiteral("system/libSkinH_EL.so"));
    m_program = m_dir->filePath(QStringLiteral("program/libSkinH_EL.so"));
}

void TestSkinDeploy::firstPlace_data()
{
    QTest::addColumn<QByteArray>("existing"); // null: no file
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("after");
    const QByteArray same_size_other_content(m_image.size(), 'x');
    QTest::newRow("missing") << QByteArray() << int(SkinDeployResult::WrittenToFirstPlace) << m_image;
    QTest::newRow("same size, other content kept")
        << same_size_other_content << int(SkinDeployResult::KeptExisting) << same_size_other_content;
    QTest::newRow("shorter overwritten") << QByteArray("old") << int(SkinDeployResult::WrittenToFirstPlace) << m_image;
    QTest::newRow("longer overwritten") << QByteArray(100, 'y') << int(SkinDeployResult::WrittenToFirstPlace)
                                        << m_image;
    QTest::newRow("empty overwritten") << QByteArray("") << int(SkinDeployResult::WrittenToFirstPlace) << m_image;
}

void TestSkinDeploy::firstPlace()
{
    QFETCH(QByteArray, existing);
    QFETCH(int, result);
    QFETCH(QByteArray, after);
    if (!existing.isNull())
        QVERIFY(file_bytes::write(m_first, existing));
    QCOMPARE(int(deploy_skin_library(m_image, m_first, m_program)), result);
    QCOMPARE(file_bytes::read(m_first), after);
    QVERIFY(!QFile::exists(m_program));
    QCOMPARE(QDir(m_dir->filePath(QStringLiteral("system"))).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("libSkinH_EL.so")});
}

void TestSkinDeploy::folderAtFirstPlace_sendsImageToProgramFolder()
{
    QVERIFY(QDir().mkpath(m_first));
    QCOMPARE(deploy_skin_library(m_image, m_first, m_program), SkinDeployResult::WrittenToProgramFolder);
    QCOMPARE(file_bytes::read(m_program), m_image);
    QVERIFY(QFileInfo(m_program).isExecutable());
    QVERIFY(QFileInfo(m_first).isDir());
    // The next start finds the same bytes there and leaves the file alone (a replaced file
    // would have a new inode).
    const ino_t inode = inode_of(m_program);
    QCOMPARE(deploy_skin_library(m_image, m_first, m_program), SkinDeployResult::WrittenToProgramFolder);
    QCOMPARE(inode_of(m_program), inode);

    // Nowhere to write: a folder at the first place and no program folder.
    const QString gone = m_dir->filePath(QStringLiteral("no/such/folder/libSkinH_EL.so"));
    QCOMPARE(deploy_skin_library(m_image, m_first, gone), SkinDeployResult::Failed);
}

void TestSkinDeploy::newStart_doesNotDisturbAReaderOfTheOldFile()
{
    // Another running copy of the program has the older, longer library mapped.
    const QByteArray old_library(4096, 'o');
    QVERIFY(file_bytes::write(m_first, old_library));
    QFile mapped_file(m_first);
    QVERIFY(mapped_file.open(QIODevice::ReadOnly));
    const uchar *mapped = mapped_file.map(0, old_library.size());
    QVERIFY(mapped != nullptr);

    QCOMPARE(deploy_skin_library(m_image, m_first, m_program), SkinDeployResult::WrittenToFirstPlace);
    // Rewritten in place, the mapping would now show the new bytes or fault past their end.
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(mapped), old_library.size()), old_library);
    QCOMPARE(file_bytes::read(m_first), m_image);
}

QTEST_GUILESS_MAIN(TestSkinDeploy)
#include "test_skin_deploy.moc"
