// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/start/program_start.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QIcon>
#include <QLocale>
#include <QSettings>
#include <QTest>
#include <QTranslator>

// How the window presents itself on the desktop: Qt's own texts in the user's language, and
// the names and icon that tie the window to its menu entry.
class TestDesktopIdentity final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void qtTexts_followTheSystemLanguage_data();
    void qtTexts_followTheSystemLanguage();
    void identity_matchesTheMenuEntry();
};

void TestDesktopIdentity::initTestCase()
{
    program_start::set_identity();
    program_start::set_window_icon(*qApp);
}

void TestDesktopIdentity::cleanup()
{
    for (QTranslator *translator : qApp->findChildren<QTranslator *>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

void TestDesktopIdentity::qtTexts_followTheSystemLanguage_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("cancel");
    QTest::addColumn<QString>("ok");
    QTest::addColumn<QString>("save_as");
    QTest::newRow("Chinese desktop") << "zh_CN"
                                     << "取消"
                                     << "确定"
                                     << "另存为";
    QTest::newRow("English desktop") << "en_US"
                                     << "Cancel"
                                     << "OK"
                                     << "Save As";
    QTest::newRow("language Qt has no texts for") << "bo_CN"
                                                  << "Cancel"
                                                  << "OK"
                                                  << "Save As";
}

void TestDesktopIdentity::qtTexts_followTheSystemLanguage()
{
    QFETCH(QString, locale);
    QFETCH(QString, cancel);
    QFETCH(QString, ok);
    QFETCH(QString, save_as);
    program_start::load_qt_translations(*qApp, QLocale(locale));
    // The contexts the standard buttons and the file dialog take their texts from.
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), cancel);
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "OK"), ok);
    QCOMPARE(QFileDialog::tr("Save As"), save_as);
}

void TestDesktopIdentity::identity_matchesTheMenuEntry()
{
    const QString entry =
        QStringLiteral(DATA_DIR "/") + QGuiApplication::desktopFileName() + QStringLiteral(".desktop");
    QVERIFY2(QFile::exists(entry), qPrintable(entry));
    QSettings desktop(entry, QSettings::IniFormat);
    desktop.beginGroup(QStringLiteral("Desktop Entry"));
    // X11 docks match a window by its class, which Qt takes from the application name.
    QCOMPARE(desktop.value(QStringLiteral("StartupWMClass")).toString(), QCoreApplication::applicationName());
    QCOMPARE(desktop.value(QStringLiteral("Icon")).toString(), QGuiApplication::desktopFileName());
    QCOMPARE(desktop.value(QStringLiteral("Exec")).toString(), QCoreApplication::applicationName());
    QVERIFY(!QGuiApplication::windowIcon().isNull());
    QVERIFY(!QGuiApplication::windowIcon().pixmap(48, 48).isNull());
}

QTEST_MAIN(TestDesktopIdentity)
#include "test_desktop_identity.moc"
