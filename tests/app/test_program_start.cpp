// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_bytes.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

namespace {

struct Start {
    bool ended = false; // the process ended by itself
    int exit_code = 0;
    QByteArray error_output;
    QByteArray trace;
};

} // namespace

// The real program started as a user starts it, with its library folders in a temporary
// folder: where the engine libraries go, which one is loaded, and what a broken one does.
class TestProgramStart final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void freshStart_deploysBothLibrariesToTheSystemFolder();
    void libraryAlreadyInSystemFolder_isUsedUnchanged();
    void unwritableSystemFolder_deploysToProgramFolderAtEveryStart();
    void unusableCopyInSystemFolder_startsFromTheProgramFolder_data();
    void unusableCopyInSystemFolder_startsFromTheProgramFolder();
    void noCopyLoadsAnywhere_endsWithFatalError();
    void freshStart_deploysSkinLibraryAndStarts();
    void skinLibrary_data();
    void skinLibrary();
    void relocatedInstall_usesTheLibrariesBesideItsPrograms();
    void commandLine_answersWithoutAWindow_data();
    void commandLine_answersWithoutAWindow();

private:
    Start start(const QString &system_folder, const QByteArray &script = {}, const QString &program = {});
    QString path(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestProgramStart::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("program")));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("system")));
    const QString program = path(QStringLiteral("program/lumeno"));
    QVERIFY(QFile::copy(QStringLiteral(PROGRAM_FILE), program));
    QVERIFY(QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner));
}

Start TestProgramStart::start(const QString &system_folder, const QByteArray &script, const QString &program)
{
    const QString trace = path(QStringLiteral("trace.log"));
    QFile::remove(trace);
    QFile::remove(path(QStringLiteral("scripted.log")));
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LUMENO_LIBRARY_DIR"), system_folder);
    env.insert(QStringLiteral("LUMENO_ENGINE_TRACE"), trace);
    env.insert(QStringLiteral("LUMENO_SOUND"), QStringLiteral("null"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
    env.insert(QStringLiteral("SCRIPTED_ENGINE_LOG"), path(QStringLiteral("scripted.log")));
    // A program that ends through exit() or a signal leaves its objects undestroyed on purpose;
    // in a sanitizer build the leak report would change the exit code under test.
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    if (!script.isNull())
        env.insert(QStringLiteral("SCRIPTED_ENGINE"), QString::fromLatin1(script));
    process.setProcessEnvironment(env);
    process.start(program.isEmpty() ? path(QStringLiteral("program/lumeno")) : program, {});
    Start result;
    // Running until the engine has been initialised (or the program has ended by itself).
    for (int waited = 0; waited < 30000 && process.state() != QProcess::NotRunning; waited += 50) {
        if (file_bytes::read(trace).contains("QTTSInit(")
            || file_bytes::read(path(QStringLiteral("scripted.log"))).contains("QTTSInit"))
            break;
        process.waitForFinished(50);
    }
    result.ended = process.state() == QProcess::NotRunning;
    if (!result.ended) {
        process.terminate();
        process.waitForFinished(5000);
    }
    result.exit_code = process.exitCode();
    result.error_output = process.readAllStandardError();
    result.trace = file_bytes::read(trace);
    return result;
}

void TestProgramStart::freshStart_deploysBothLibrariesToTheSystemFolder()
{
    const Start s = start(path(QStringLiteral("system")));
    QVERIFY(!s.ended);
    QVERIFY2(s.trace.startsWith("QTTSInit(configs=\"server_url="), s.trace.constData());
    QVERIFY(s.trace.contains(",coding_libs=libmsc_speex.so,max_text_size=4096\") = 0"));
    QCOMPARE(file_bytes::read(path(QStringLiteral("system/libmsc.so"))), file_bytes::read(QStringLiteral(ENGINE_FILE)));
    QCOMPARE(file_bytes::read(path(QStringLiteral("system/libmsc_speex.so"))),
             file_bytes::read(QStringLiteral(CODEC_FILE)));
    QVERIFY(!QFile::exists(path(QStringLiteral("program/libmsc.so"))));
}

void TestProgramStart::libraryAlreadyInSystemFolder_isUsedUnchanged()
{
    const QByteArray other_version = file_bytes::read(QStringLiteral(SCRIPTED_ENGINE_FILE));
    QVERIFY(file_bytes::write(path(QStringLiteral("system/libmsc.so")), other_version));
    const Start s = start(path(QStringLiteral("system")), "init=0");
    QVERIFY2(!s.ended, s.error_output.constData());
    QCOMPARE(file_bytes::read(path(QStringLiteral("system/libmsc.so"))), other_version);
    QVERIFY(file_bytes::read(path(QStringLiteral("scripted.log"))).startsWith("QTTSInit server_url="));
    // The codec was missing, so it was written; nothing went to the program folder.
    QCOMPARE(file_bytes::read(path(QStringLiteral("system/libmsc_speex.so"))),
             file_bytes::read(QStringLiteral(CODEC_FILE)));
    QVERIFY(!QFile::exists(path(QStringLiteral("program/libmsc.so"))));
}

void TestProgramStart::unwritableSystemFolder_deploysToProgramFolderAtEveryStart()
{
    // A folder that cannot be written to (root may write anywhere, so: one that does not exist).
    const QString system = path(QStringLiteral("no/such/folder"));
    Start s = start(system);
    QVERIFY(!s.ended);
    QVERIFY(s.trace.contains("\") = 0"));
    QCOMPARE(file_bytes::read(path(QStringLiteral("program/libmsc.so"))),
             file_bytes::read(QStringLiteral(ENGINE_FILE)));
    QCOMPARE(file_bytes::read(path(QStringLiteral("program/libmsc_speex.so"))),
             file_bytes::read(QStringLiteral(CODEC_FILE)));

    QVERIFY(file_bytes::write(path(QStringLiteral("program/libmsc.so")), "damaged"));
    s = start(system);
    QVERIFY(!s.ended);
    QCOMPARE(file_bytes::read(path(QStringLiteral("program/libmsc.so"))),
             file_bytes::read(QStringLiteral(ENGINE_FILE)));
    QVERIFY(s.trace.contains("\") = 0"));
}

void TestProgramStart::unusableCopyInSystemFolder_startsFromTheProgramFolder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // null: a folder of that name
    QTest::newRow("folder") << QStringLiteral("libmsc.so") << QByteArray();
    QTest::newRow("codec folder") << QStringLiteral("libmsc_speex.so") << QByteArray();
    QTest::newRow("not a library") << QStringLiteral("libmsc.so") << QByteArray("not a library");
    QTest::newRow("stub without QTTSFini")
        << QStringLiteral("libmsc.so") << file_bytes::read(QStringLiteral(INCOMPLETE_ENGINE_FILE));
}

void TestProgramStart::unusableCopyInSystemFolder_startsFromTheProgramFolder()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    const QString unusable = path(QStringLiteral("system/") + name);
    QVERIFY(content.isNull() ? QDir().mkpath(unusable) : file_bytes::write(unusable, content));
    const Start s = start(path(QStringLiteral("system")));
    QVERIFY2(!s.ended, s.error_output.constData());
    QVERIFY2(s.trace.contains("\") = 0"), s.trace.constData());
    QCOMPARE(file_bytes::read(path(QStringLiteral("program/libmsc.so"))),
             file_bytes::read(QStringLiteral(ENGINE_FILE)));
    QCOMPARE(file_bytes::read(path(QStringLiteral("program/libmsc_speex.so"))),
             file_bytes::read(QStringLiteral(CODEC_FILE)));
    QVERIFY(!QFile::exists(path(QStringLiteral("scripted.log"))));
}

void TestProgramStart::noCopyLoadsAnywhere_endsWithFatalError()
{
    // The system copy does not load, and folders stand where the other copies would go
    // (not writable even for root).
    QVERIFY(file_bytes::write(path(QStringLiteral("system/libmsc.so")), "not a library"));
    QVERIFY(QDir().mkpath(path(QStringLiteral("program/libmsc.so/x"))));
    QVERIFY(QDir().mkpath(path(QStringLiteral("data/lumeno/lib/libmsc.so/x"))));
    const Start s = start(path(QStringLiteral("system")));
    QVERIFY(s.ended);
    QCOMPARE(s.exit_code, 255);
    const QString message = QString::fromUtf8(s.error_output);
    QVERIFY2(message.contains(QStringLiteral("运行时出错!")), qPrintable(message));
    QVERIFY(message.contains(QStringLiteral("错误信息：")));
    QVERIFY(message.contains(QStringLiteral("无法找到指定DLL库文件“libmsc.so”中的输出命令“QTTSInit”")));
}

void TestProgramStart::freshStart_deploysSkinLibraryAndStarts()
{
    const Start s = start(path(QStringLiteral("system")));
    QVERIFY2(!s.ended, s.error_output.constData());
    QCOMPARE(file_bytes::read(path(QStringLiteral("system/libSkinH_EL.so"))),
             file_bytes::read(QStringLiteral(SKIN_LIBRARY_FILE)));
    QVERIFY(!QFile::exists(path(QStringLiteral("program/libSkinH_EL.so"))));
}

void TestProgramStart::skinLibrary_data()
{
    QTest::addColumn<QByteArray>("in_system"); // at the system path; null: nothing, "/": a folder
    QTest::addColumn<bool>("starts");
    const QByteArray skin_library = file_bytes::read(QStringLiteral(SKIN_LIBRARY_FILE));
    QVERIFY(!skin_library.isEmpty());
    // Of the carried size, so it is kept at first, but no library at all.
    const QByteArray same_size_junk(skin_library.size(), 'j');
    // A library of the carried size, but another one: the codec, padded.
    QByteArray without_attach = file_bytes::read(QStringLiteral(CODEC_FILE));
    QVERIFY(without_attach.size() < skin_library.size());
    without_attach.append(QByteArray(skin_library.size() - without_attach.size(), '\0'));
    QTest::newRow("same size, not a library: mended") << same_size_junk << true;
    QTest::newRow("same size, without SkinH_AttachRes: mended") << without_attach << true;
    QTest::newRow("no usable copy anywhere") << QByteArray("/") << false;
}

void TestProgramStart::skinLibrary()
{
    QFETCH(QByteArray, in_system);
    QFETCH(bool, starts);
    const QString at_system = path(QStringLiteral("system/libSkinH_EL.so"));
    if (in_system == "/") {
        // Folders stand where every copy would go (not writable even for root).
        for (const QString &folder :
             {QStringLiteral("system"), QStringLiteral("program"), QStringLiteral("data/lumeno/lib")})
            QVERIFY(QDir().mkpath(path(folder + QStringLiteral("/libSkinH_EL.so/x"))));
    } else {
        QVERIFY(file_bytes::write(at_system, in_system));
    }
    const Start s = start(path(QStringLiteral("system")));
    if (starts) {
        QVERIFY2(!s.ended, s.error_output.constData());
        QVERIFY(s.trace.startsWith("QTTSInit("));
        QCOMPARE(file_bytes::read(at_system), file_bytes::read(QStringLiteral(SKIN_LIBRARY_FILE)));
        QVERIFY(!QFile::exists(path(QStringLiteral("program/libSkinH_EL.so"))));
    } else {
        QVERIFY(s.ended);
        QCOMPARE(s.exit_code, 255);
        const QString message = QString::fromUtf8(s.error_output);
        QVERIFY2(message.contains(QStringLiteral("无法找到指定DLL库文件“libSkinH_EL.so”中的输出命令“SkinH_AttachRes”")),
                 s.error_output.constData());
        // The reason comes before, naming the folders tried.
        const qsizetype reason = message.indexOf(QStringLiteral("lumeno: libSkinH_EL.so could not be loaded from or "
                                                                "written to "));
        QVERIFY2(reason >= 0 && reason < message.indexOf(QStringLiteral("运行时出错!")), s.error_output.constData());
        QVERIFY(message.indexOf(path(QStringLiteral("data/lumeno/lib")), reason) > reason);
        // Skin first: the engine was never started.
        QVERIFY(s.trace.isEmpty());
    }
}

void TestProgramStart::relocatedInstall_usesTheLibrariesBesideItsPrograms()
{
    // An install put under another prefix than the configured one: the program and, where the
    // install puts them relative to it, its libraries (the engine a scripted one, to tell it).
    const QString program = path(QStringLiteral("prefix/bin/lumeno"));
    const QString libraries =
        QDir::cleanPath(path(QStringLiteral("prefix/bin/") + QStringLiteral(RELATIVE_LIBRARY_DIR)));
    QVERIFY(QDir().mkpath(path(QStringLiteral("prefix/bin"))));
    QVERIFY(QDir().mkpath(libraries));
    QVERIFY(QFile::copy(path(QStringLiteral("program/lumeno")), program));
    QVERIFY(QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner));
    QVERIFY(QFile::copy(QStringLiteral(SCRIPTED_ENGINE_FILE), libraries + QStringLiteral("/libmsc.so")));
    QVERIFY(QFile::copy(QStringLiteral(CODEC_FILE), libraries + QStringLiteral("/libmsc_speex.so")));
    QVERIFY(QFile::copy(QStringLiteral(SKIN_LIBRARY_FILE), libraries + QStringLiteral("/libSkinH_EL.so")));

    const Start s = start(path(QStringLiteral("system")), "init=0", program);
    QVERIFY2(!s.ended, s.error_output.constData());
    QVERIFY(file_bytes::read(path(QStringLiteral("scripted.log"))).startsWith("QTTSInit server_url="));
    // Found, so nothing was written anywhere.
    QVERIFY(QDir(path(QStringLiteral("system"))).isEmpty());
    QCOMPARE(QDir(path(QStringLiteral("prefix/bin"))).entryList(QDir::Files), QStringList{QStringLiteral("lumeno")});
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("data/lumeno"))));
    // An install keeps its settings in the user's folder.
    QVERIFY(QFileInfo(path(QStringLiteral("config/lumeno"))).isDir());
}

void TestProgramStart::commandLine_answersWithoutAWindow_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exit_code");
    QTest::addColumn<QByteArray>("output");       // the start of standard output
    QTest::addColumn<QByteArray>("error_output"); // the start of standard error
    QTest::newRow("--help") << QStringList{QStringLiteral("--help")} << 0 << QByteArray("Usage: lumeno ")
                            << QByteArray();
    QTest::newRow("-h after a Qt option")
        << QStringList{QStringLiteral("-style"), QStringLiteral("fusion"), QStringLiteral("-h")} << 0
        << QByteArray("Usage: lumeno ") << QByteArray();
    QTest::newRow("--version") << QStringList{QStringLiteral("--version")} << 0 << QByteArray("lumeno " VERSION "\n")
                               << QByteArray();
    QTest::newRow("no display") << QStringList() << 1 << QByteArray()
                                << QByteArray("lumeno: cannot open the window: no display");
}

void TestProgramStart::commandLine_answersWithoutAWindow()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exit_code);
    QFETCH(QByteArray, output);
    QFETCH(QByteArray, error_output);
    QProcess process;
    // No display at all: the answers must not need one.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &name :
         {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("DISPLAY"), QStringLiteral("WAYLAND_DISPLAY")})
        env.remove(name);
    env.insert(QStringLiteral("LUMENO_LIBRARY_DIR"), path(QStringLiteral("system")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
    process.setProcessEnvironment(env);
    process.start(path(QStringLiteral("program/lumeno")), arguments);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), exit_code);
    const QByteArray out = process.readAllStandardOutput();
    const QByteArray err = process.readAllStandardError();
    QVERIFY2(output.isEmpty() ? out.isEmpty() : out.startsWith(output), out.constData());
    QVERIFY2(error_output.isEmpty() ? err.isEmpty() : err.startsWith(error_output) && err.count('\n') == 1,
             err.constData());
    // Ended before anything was set up.
    QVERIFY(QDir(path(QStringLiteral("system"))).isEmpty());
    QCOMPARE(QDir(path(QStringLiteral("program"))).entryList(QDir::Files), QStringList{QStringLiteral("lumeno")});
}

QTEST_GUILESS_MAIN(TestProgramStart)
#include "test_program_start.moc"
