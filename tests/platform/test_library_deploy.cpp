#include "file_bytes.h"
#include "platform/library_deploy.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

} // namespace

class TestLibraryDeploy final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void existingFileAtSystemPath_isKeptUnchanged();
    void existingFolderAtSystemPath_wins();
    void missing_isWrittenToSystemPath();
    void unwritableSystemFolder_fallsBackToProgramFolderEveryTime();
    void sameSizeRule_replacesFileOfOtherSize();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_system;
    QString m_program;
    const QByteArray m_image = QByteArray("\x7f"
                                          "ELF image",
                                          10);
};

void TestLibraryDeploy::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("system")));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("program")));
    m_system = m_dir->filePath(QStringLiteral("system/libx.so"));
    m_program = m_dir->filePath(QStringLiteral("program/libx.so"));
}

void TestLibraryDeploy::existingFileAtSystemPath_isKeptUnchanged()
{
    QVERIFY(file_bytes::write(m_system, "older version"));
    QCOMPARE(deploy_library(m_image, m_system, m_program, KeepExisting::AnyFileOrFolder), DeployResult::KeptExisting);
    QCOMPARE(file_bytes::read(m_system), QByteArray("older version"));
    QVERIFY(!QFile::exists(m_program));
}

void TestLibraryDeploy::existingFolderAtSystemPath_wins()
{
    QVERIFY(QDir().mkpath(m_system));
    QCOMPARE(deploy_library(m_image, m_system, m_program, KeepExisting::AnyFileOrFolder), DeployResult::KeptExisting);
    QVERIFY(!QFile::exists(m_program));
}

void TestLibraryDeploy::missing_isWrittenToSystemPath()
{
    QCOMPARE(deploy_library(m_image, m_system, m_program, KeepExisting::AnyFileOrFolder),
             DeployResult::WrittenToSystem);
    QCOMPARE(file_bytes::read(m_system), m_image);
    QVERIFY(QFileInfo(m_system).isExecutable());
    QVERIFY(!QFile::exists(m_program));
}

void TestLibraryDeploy::unwritableSystemFolder_fallsBackToProgramFolderEveryTime()
{
    // A system folder that cannot be written to (one that does not exist fails for root too).
    const QString system = m_dir->filePath(QStringLiteral("no/such/folder/libx.so"));
    QCOMPARE(deploy_library(m_image, system, m_program, KeepExisting::AnyFileOrFolder), DeployResult::WrittenToProgram);
    QCOMPARE(file_bytes::read(m_program), m_image);

    QVERIFY(file_bytes::write(m_program, "stale and longer than the image"));
    QCOMPARE(deploy_library(m_image, system, m_program, KeepExisting::AnyFileOrFolder), DeployResult::WrittenToProgram);
    QCOMPARE(file_bytes::read(m_program), m_image);
}

void TestLibraryDeploy::sameSizeRule_replacesFileOfOtherSize()
{
    QVERIFY(file_bytes::write(m_system, "short"));
    QCOMPARE(deploy_library(m_image, m_system, m_program, KeepExisting::SameSize), DeployResult::WrittenToSystem);
    QCOMPARE(file_bytes::read(m_system), m_image);
    QCOMPARE(deploy_library(m_image, m_system, m_program, KeepExisting::SameSize), DeployResult::KeptExisting);
}

QTEST_GUILESS_MAIN(TestLibraryDeploy)
#include "test_library_deploy.moc"
