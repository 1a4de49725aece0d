#include "file_bytes.h"
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
    QTest::addColumn<QString>("program");   // relative to a fresh folder
    QTest::addColumn<bool>("holds_config"); // a config.ini is already there
    QTest::addColumn<QString>("expected");  // relative to the same folder
    QTest::newRow("writable program folder") << "program" << false << "program/config.ini";
    QTest::newRow("portable copy with its settings") << "program" << true << "program/config.ini";
    // A folder nobody can write to, whoever runs the test: one that does not exist.
    QTest::newRow("unwritable program folder") << "no/such/program" << false << "home/lumeno/config.ini";
}

void TestSettingsLocation::settingsFile()
{
    QFETCH(QString, program);
    QFETCH(bool, holds_config);
    QFETCH(QString, expected);
    const QTemporaryDir dir;
    QVERIFY(dir.isValid());
    if (holds_config || !program.startsWith(QLatin1StringView("no/"))) {
        QVERIFY(QDir(dir.path()).mkpath(program));
        if (holds_config)
            QVERIFY(file_bytes::write(dir.filePath(program + QStringLiteral("/config.ini")), "[x]\n"));
    }
    const QString path = settings_file_path(dir.filePath(program), dir.filePath(QStringLiteral("home/lumeno")));
    QCOMPARE(QDir(dir.path()).relativeFilePath(path), expected);
    // The folder exists, so the file can be written at close.
    QVERIFY(QFileInfo(QFileInfo(path).path()).isDir());
}

QTEST_GUILESS_MAIN(TestSettingsLocation)
#include "test_settings_location.moc"
