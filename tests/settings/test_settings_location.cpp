// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_bytes.h"
#include "platform/install_layout.h"
#include "settings/settings_location.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// Which config.ini the program reads and writes: beside itself or in the user's folder.
class TestSettingsLocation final : public QObject {
    Q_OBJECT

private slots:
    void settingsFile_data();
    void settingsFile();
};

void TestSettingsLocation::settingsFile_data()
{
    QTest::addColumn<QString>("program");   // relative to a fresh folder, or an absolute path
    QTest::addColumn<bool>("holds_config"); // a config.ini is already there
    QTest::addColumn<bool>("installed");    // the install's library folder is beside the program
    QTest::addColumn<QString>("expected");  // relative to the same folder
    QTest::newRow("writable program folder") << "program" << false << false << "program/config.ini";
    QTest::newRow("portable copy with its settings") << "program" << true << false << "program/config.ini";
    // A folder nobody can write to, whoever runs the test: one that does not exist.
    QTest::newRow("unwritable program folder") << "no/such/program" << false << false << "home/lumeno/config.ini";
    // Root may write there, and yet it is the package's folder.
    QTest::newRow("installed under /usr") << "/usr/bin" << false << false << "home/lumeno/config.ini";
    QTest::newRow("installed under /opt") << "/opt/lumeno/bin" << false << false << "home/lumeno/config.ini";
    QTest::newRow("install under another prefix") << "prefix/bin" << false << true << "home/lumeno/config.ini";
    QTest::newRow("install with a file left by an older version")
        << "prefix/bin" << true << true << "home/lumeno/config.ini";
}

void TestSettingsLocation::settingsFile()
{
    QFETCH(QString, program);
    QFETCH(bool, holds_config);
    QFETCH(bool, installed);
    QFETCH(QString, expected);
    const QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString program_folder = QDir::isAbsolutePath(program) ? program : dir.filePath(program);
    if (!QDir::isAbsolutePath(program) && !program.startsWith(QLatin1StringView("no/")))
        QVERIFY(QDir().mkpath(program_folder));
    if (holds_config)
        QVERIFY(file_bytes::write(program_folder + QStringLiteral("/config.ini"), "[x]\n"));
    if (installed) {
        const QString libraries = install_layout::library_folder_beside(program_folder);
        QVERIFY(libraries.startsWith(dir.path()));
        QVERIFY(QDir().mkpath(libraries));
        QVERIFY(file_bytes::write(libraries + QStringLiteral("/libmsc.so"), "\x7f"
                                                                            "ELF"));
    }
    const QString path = settings_file_path(program_folder, dir.filePath(QStringLiteral("home/lumeno")));
    QCOMPARE(QDir(dir.path()).relativeFilePath(path), expected);
    // The folder exists, so the file can be written at close.
    QVERIFY(QFileInfo(QFileInfo(path).path()).isDir());
}

QTEST_GUILESS_MAIN(TestSettingsLocation)
#include "test_settings_location.moc"
