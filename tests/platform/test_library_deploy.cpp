// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_bytes.h"
#include "platform/library_deploy.h"
#include "platform/shared_library.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

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
    void installFolder_isTakenAsFoundOnlyWhenUsable_data();
    void installFolder_isTakenAsFoundOnlyWhenUsable();
    void sameSizeRule_keepsOnlyAFileOfTheCarriedSize_data();
    void sameSizeRule_keepsOnlyAFileOfTheCarriedSize();
    void sameSizeRule_replacingLeavesAMappedOldCopyAlone();
    void openCarried_mendsAKeptCopyThatDoesNotWork_data();
    void openCarried_mendsAKeptCopyThatDoesNotWork();
    void openCarried_withNoUsableCopyAnywhere_fails();
    void notCarried_onlyAnInstalledCopyIsUsed_data();
    void notCarried_onlyAnInstalledCopyIsUsed();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QList<CarriedLibrary> group() const;
    LibraryFolders folders() const { return {path(QStringLiteral("system")), path(QStringLiteral("program")), {}}; }
    // The engine stub carried as the skin library is: kept by its size at the system path.
    CarriedLibrary kept_by_size() const
    {
        return {QStringLiteral("libmsc.so"), m_engine, {"QTTSInit", "QTTSFini"}, KeepRule::SameSize};
    }

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

void TestLibraryDeploy::installFolder_isTakenAsFoundOnlyWhenUsable_data()
{
    QTest::addColumn<QByteArray>("engine"); // what the install holds; the codec is always there
    QTest::addColumn<bool>("taken");
    QTest::newRow("usable") << m_engine << true;
    QTest::newRow("engine lacks an operation")
        << file_bytes::read(QStringLiteral(INCOMPLETE_STUB_LIBRARY_FILE)) << false;
    QTest::newRow("engine missing") << QByteArray() << false;
}

void TestLibraryDeploy::installFolder_isTakenAsFoundOnlyWhenUsable()
{
    QFETCH(QByteArray, engine);
    QFETCH(bool, taken);
    // The codec stands in for itself by a real library without operations to check.
    const QList<CarriedLibrary> with_real_codec = {
        group().constFirst(),
        {QStringLiteral("libcodec.so"), file_bytes::read(QStringLiteral(INCOMPLETE_STUB_LIBRARY_FILE)), {}}};
    const QString install = path(QStringLiteral("prefix/lib/lumeno"));
    QVERIFY(QDir().mkpath(install));
    QVERIFY(
        file_bytes::write(install + QStringLiteral("/libcodec.so"), with_real_codec.constLast().image.toByteArray()));
    if (!engine.isEmpty())
        QVERIFY(file_bytes::write(install + QStringLiteral("/libmsc.so"), engine));
    LibraryFolders with_install = folders();
    with_install.installed = install;

    const Deployment d = deploy_carried_libraries(with_real_codec, with_install);
    QCOMPARE(d.place, taken ? LibraryPlace::Installed : LibraryPlace::System);
    QCOMPARE(d.wrote, !taken);
    QCOMPARE(d.path(QStringLiteral("libmsc.so")),
             (taken ? install : path(QStringLiteral("system"))) + QStringLiteral("/libmsc.so"));
    // The install is never written; the system folder only when the install is not usable.
    QCOMPARE(file_bytes::read(install + QStringLiteral("/libmsc.so")), engine);
    QCOMPARE(QDir(path(QStringLiteral("system"))).isEmpty(), taken);
}

void TestLibraryDeploy::sameSizeRule_keepsOnlyAFileOfTheCarriedSize_data()
{
    QTest::addColumn<QByteArray>("existing"); // null: no file; "/": a folder
    QTest::addColumn<bool>("kept");
    QTest::addColumn<int>("place");
    QTest::newRow("missing") << QByteArray() << false << int(LibraryPlace::System);
    QTest::newRow("same size, other content") << QByteArray(m_engine.size(), 'x') << true << int(LibraryPlace::System);
    QTest::newRow("shorter") << QByteArray("old") << false << int(LibraryPlace::System);
    QTest::newRow("longer") << m_engine + "y" << false << int(LibraryPlace::System);
    QTest::newRow("empty") << QByteArray("") << false << int(LibraryPlace::System);
    QTest::newRow("folder") << QByteArray("/") << false << int(LibraryPlace::Program);
}

void TestLibraryDeploy::sameSizeRule_keepsOnlyAFileOfTheCarriedSize()
{
    QFETCH(QByteArray, existing);
    QFETCH(bool, kept);
    QFETCH(int, place);
    const QString at_system = path(QStringLiteral("system/libmsc.so"));
    if (existing == "/")
        QVERIFY(QDir().mkpath(at_system));
    else if (!existing.isNull())
        QVERIFY(file_bytes::write(at_system, existing));

    for (int start = 0; start < 2; ++start) {
        const Deployment d = deploy_carried_library(kept_by_size(), folders());
        QCOMPARE(int(d.place), place);
        QCOMPARE(d.wrote, start == 0 && !kept);
        QCOMPARE(file_bytes::read(d.path(QStringLiteral("libmsc.so"))), kept ? existing : m_engine);
    }
    // Nothing left beside the copy, and the program folder only used when it had to be.
    const QStringList system_files = QDir(path(QStringLiteral("system"))).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(system_files, existing == "/" ? QStringList() : QStringList{QStringLiteral("libmsc.so")});
    QCOMPARE(QDir(path(QStringLiteral("program"))).isEmpty(), place == int(LibraryPlace::System));
}

void TestLibraryDeploy::sameSizeRule_replacingLeavesAMappedOldCopyAlone()
{
    // Another running copy of the program has the older, longer library mapped.
    const QByteArray old_library(m_engine.size() + 4096, 'o');
    const QString at_system = path(QStringLiteral("system/libmsc.so"));
    QVERIFY(file_bytes::write(at_system, old_library));
    QFile mapped_file(at_system);
    QVERIFY(mapped_file.open(QIODevice::ReadOnly));
    const uchar *mapped = mapped_file.map(0, old_library.size());
    QVERIFY(mapped != nullptr);

    QVERIFY(deploy_carried_library(kept_by_size(), folders()).wrote);
    // Rewritten in place, the mapping would now show the new bytes or fault past their end.
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(mapped), old_library.size()), old_library);
    QCOMPARE(file_bytes::read(at_system), m_engine);
}

void TestLibraryDeploy::openCarried_mendsAKeptCopyThatDoesNotWork_data()
{
    QTest::addColumn<QByteArray>("kept"); // of the carried size, so the size rule keeps it
    QByteArray lacking = file_bytes::read(QStringLiteral(INCOMPLETE_STUB_LIBRARY_FILE));
    QVERIFY(lacking.size() < m_engine.size());
    // A library loads whatever follows its last section: the same size, without QTTSFini.
    lacking.append(QByteArray(m_engine.size() - lacking.size(), '\0'));
    QTest::newRow("does not load") << QByteArray(m_engine.size(), 'j');
    QTest::newRow("lacks an operation") << lacking;
}

void TestLibraryDeploy::openCarried_mendsAKeptCopyThatDoesNotWork()
{
    QFETCH(QByteArray, kept);
    const QString at_system = path(QStringLiteral("system/libmsc.so"));
    QVERIFY(file_bytes::write(at_system, kept));
    QCOMPARE(deploy_carried_library(kept_by_size(), folders()).wrote, false);

    SharedLibrary library;
    QVERIFY(open_carried_library(library, kept_by_size(), folders()));
    QVERIFY(library.resolve("QTTSFini") != nullptr);
    QCOMPARE(file_bytes::read(at_system), m_engine);
    QVERIFY(QDir(path(QStringLiteral("program"))).isEmpty());
}

void TestLibraryDeploy::openCarried_withNoUsableCopyAnywhere_fails()
{
    // Folders stand where every copy would go, and the platform's search knows no such name.
    CarriedLibrary nowhere = kept_by_size();
    nowhere.file_name = QStringLiteral("liblumeno-test-nowhere.so");
    for (const QString &folder : {QStringLiteral("system"), QStringLiteral("program"), QStringLiteral("user")})
        QVERIFY(QDir().mkpath(path(folder + QStringLiteral("/liblumeno-test-nowhere.so"))));
    SharedLibrary library;
    LibraryFolders all = folders();
    all.user = path(QStringLiteral("user"));
    QVERIFY(!open_carried_library(library, nowhere, all));
    QVERIFY(!library.is_open());
}

void TestLibraryDeploy::notCarried_onlyAnInstalledCopyIsUsed_data()
{
    QTest::addColumn<int>("keep");
    QTest::addColumn<bool>("installed"); // a usable copy in the system folder
    for (const auto &[name, keep] : {std::pair{"usable rule", KeepRule::Usable}, {"size rule", KeepRule::SameSize}}) {
        QTest::addRow("%s, installed", name) << int(keep) << true;
        QTest::addRow("%s, not installed", name) << int(keep) << false;
    }
}

void TestLibraryDeploy::notCarried_onlyAnInstalledCopyIsUsed()
{
    // A build that uses the installed libraries carries no image of them.
    QFETCH(int, keep);
    QFETCH(bool, installed);
    // A name of its own: the platform's search would find a library of this process by its name.
    const QString name = QStringLiteral("liblumeno-test-not-carried.so");
    const CarriedLibrary none{name, {}, {"QTTSInit"}, KeepRule(keep)};
    if (installed)
        QVERIFY(file_bytes::write(path(QStringLiteral("system/") + name), m_engine));
    // An empty file holds all the bytes of an empty image, and yet is no library.
    QVERIFY(file_bytes::write(path(QStringLiteral("program/") + name), ""));
    LibraryFolders all = folders();
    all.user = path(QStringLiteral("data/lumeno/lib"));

    const Deployment d = deploy_carried_library(none, all);
    QCOMPARE(d.place, installed ? LibraryPlace::System : LibraryPlace::Nowhere);
    QVERIFY(!d.wrote);
    SharedLibrary library;
    QCOMPARE(open_carried_library(library, none, all), installed);
    // Nothing written or made anywhere, not even an empty file taken for a copy.
    QCOMPARE(file_bytes::read(path(QStringLiteral("system/") + name)), installed ? m_engine : QByteArray());
    QCOMPARE(QFileInfo(path(QStringLiteral("program/") + name)).size(), 0);
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("data"))));
}

QTEST_GUILESS_MAIN(TestLibraryDeploy)
#include "test_library_deploy.moc"
