#include "file_bytes.h"
#include "platform/library_deploy.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Where a group of carried libraries ends up, and what is written on the way.
class TestLibraryDeploy final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void usableCopyAtSystemPath_isKeptWhateverItsVersion();
    void missing_isWrittenToSystemFolder();
    void unusableCopyAtSystemPath_sendsTheGroupToTheProgramFolder_data();
    void unusableCopyAtSystemPath_sendsTheGroupToTheProgramFolder();
    void programFolderCopy_isMadeIdenticalAndLeftAloneWhenItIs();
    void noWritableFolder_usesThePerUserFolder();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QList<CarriedLibrary> group() const;
    LibraryFolders folders() const { return {path(QStringLiteral("system")), path(QStringLiteral("program")), {}}; }

    std::unique_ptr<QTemporaryDir> m_dir;
    // The stub stands for the engine: a real library exporting the engine's operations.
    const QByteArray m_engine = file_bytes::read(QStringLiteral(STUB_LIBRARY_FILE));
    const QByteArray m_codec = QByteArray("\x7f"
                                          "ELF codec",
                                          10);
};

QList<CarriedLibrary> TestLibraryDeploy::group() const
{
    return {{QStringLiteral("libmsc.so"), m_engine, {"QTTSInit", "QTTSFini"}},
            {QStringLiteral("libcodec.so"), m_codec, {}}};
}

void TestLibraryDeploy::init()
{
    QVERIFY(!m_engine.isEmpty());
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("system")));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("program")));
}

void TestLibraryDeploy::usableCopyAtSystemPath_isKeptWhateverItsVersion()
{
    // Another build that lacks an operation this version does not ask for.
    const QByteArray other_version = file_bytes::read(QStringLiteral(INCOMPLETE_STUB_LIBRARY_FILE));
    QVERIFY(file_bytes::write(path(QStringLiteral("system/libmsc.so")), other_version));
    const Deployment kept =
        deploy_carried_library({QStringLiteral("libmsc.so"), m_engine, {"QTTSInit", "QTTSSessionEnd"}}, folders());
    QCOMPARE(kept.place, LibraryPlace::System);
    QVERIFY(!kept.wrote);
    QCOMPARE(kept.path(QStringLiteral("libmsc.so")), path(QStringLiteral("system/libmsc.so")));
    QCOMPARE(file_bytes::read(path(QStringLiteral("system/libmsc.so"))), other_version);
    QVERIFY(QDir(path(QStringLiteral("program"))).isEmpty());
}

void TestLibraryDeploy::missing_isWrittenToSystemFolder()
{
    const Deployment d = deploy_carried_libraries(group(), folders());
    QCOMPARE(d.place, LibraryPlace::System);
    QVERIFY(d.wrote);
    QCOMPARE(file_bytes::read(path(QStringLiteral("system/libmsc.so"))), m_engine);
    QCOMPARE(file_bytes::read(path(QStringLiteral("system/libcodec.so"))), m_codec);
    QVERIFY(QFileInfo(path(QStringLiteral("system/libmsc.so"))).isExecutable());
    QVERIFY(QDir(path(QStringLiteral("program"))).isEmpty());
}

void TestLibraryDeploy::unusableCopyAtSystemPath_sendsTheGroupToTheProgramFolder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // null: a folder of that name
    QTest::newRow("folder for the engine") << QStringLiteral("libmsc.so") << QByteArray();
    QTest::newRow("folder for the codec") << QStringLiteral("libcodec.so") << QByteArray();
    QTest::newRow("not a library") << QStringLiteral("libmsc.so") << QByteArray("not a library");
    QTest::newRow("lacks an operation") << QStringLiteral("libmsc.so")
                                        << file_bytes::read(QStringLiteral(INCOMPLETE_STUB_LIBRARY_FILE));
}

void TestLibraryDeploy::unusableCopyAtSystemPath_sendsTheGroupToTheProgramFolder()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    const QString unusable = path(QStringLiteral("system/") + name);
    QVERIFY(content.isNull() ? QDir().mkpath(unusable) : file_bytes::write(unusable, content));

    for (int start = 0; start < 2; ++start) {
        const Deployment d = deploy_carried_libraries(group(), folders());
        QCOMPARE(d.place, LibraryPlace::Program);
        QCOMPARE(d.path(QStringLiteral("libmsc.so")), path(QStringLiteral("program/libmsc.so")));
        QCOMPARE(file_bytes::read(path(QStringLiteral("program/libmsc.so"))), m_engine);
        QCOMPARE(file_bytes::read(path(QStringLiteral("program/libcodec.so"))), m_codec);
        QCOMPARE(d.wrote, start == 0);
    }
    // What stands at the system path is not touched.
    QCOMPARE(QFileInfo(unusable).isDir(), content.isNull());
    if (!content.isNull())
        QCOMPARE(file_bytes::read(unusable), content);
}

void TestLibraryDeploy::programFolderCopy_isMadeIdenticalAndLeftAloneWhenItIs()
{
    LibraryFolders no_system = folders();
    no_system.system = path(QStringLiteral("no/such/folder"));
    const QString copy = path(QStringLiteral("program/libmsc.so"));
    QVERIFY(file_bytes::write(copy, "damaged"));
    QCOMPARE(deploy_carried_libraries(group(), no_system).place, LibraryPlace::Program);
    QCOMPARE(file_bytes::read(copy), m_engine);

    const QDateTime written = QFileInfo(copy).lastModified();
    QTest::qSleep(20);
    const Deployment again = deploy_carried_libraries(group(), no_system);
    QVERIFY(!again.wrote);
    QCOMPARE(QFileInfo(copy).lastModified(), written);
}

void TestLibraryDeploy::noWritableFolder_usesThePerUserFolder()
{
    // Folders nobody can write to, whoever runs the test: ones that do not exist.
    const LibraryFolders only_user{path(QStringLiteral("no/system")), path(QStringLiteral("no/program")),
                                   path(QStringLiteral("data/lumeno/lib"))};
    const Deployment d = deploy_carried_library(group().constFirst(), only_user);
    QCOMPARE(d.place, LibraryPlace::User);
    QCOMPARE(file_bytes::read(path(QStringLiteral("data/lumeno/lib/libmsc.so"))), m_engine);

    // Nowhere at all: the bare name, for the platform's own search.
    const QString file = path(QStringLiteral("file"));
    QVERIFY(file_bytes::write(file, "x"));
    const Deployment none = deploy_carried_library(group().constFirst(), {{}, {}, file + QStringLiteral("/lib")});
    QCOMPARE(none.place, LibraryPlace::Nowhere);
    QCOMPARE(none.path(QStringLiteral("libmsc.so")), QStringLiteral("libmsc.so"));
}

QTEST_GUILESS_MAIN(TestLibraryDeploy)
#include "test_library_deploy.moc"
