// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/file_dialog.h"
#include "app/dialogs/message_box.h"
#include "window_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// For the time it lives the process is an ordinary user when it runs as root, for whom a
// folder without write permission would be writable all the same.
class AsOrdinaryUser final {
public:
    AsOrdinaryUser()
        : m_switched(::geteuid() == 0)
    {
        constexpr uid_t kNobody = 65534;
        if (m_switched && ::setresuid(kNobody, kNobody, 0) != 0)
            qFatal("cannot become an ordinary user");
    }
    ~AsOrdinaryUser()
    {
        if (m_switched && ::setresuid(0, 0, 0) != 0)
            qFatal("cannot become root again");
    }
    AsOrdinaryUser(const AsOrdinaryUser &) = delete;
    AsOrdinaryUser &operator=(const AsOrdinaryUser &) = delete;

private:
    bool m_switched;
};

} // namespace

// Where the import and save dialogs start, and the folder they remember.
class TestFileDialog final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startFolder_data();
    void startFolder();
    void chosenFolder_isWhereTheNextDialogStarts();
    void chosenFolder_isKeptInTheSettingsAcrossStarts();
    void saveDialog_chosenFilterGivesItsSuffix_data();
    void saveDialog_chosenFilterGivesItsSuffix();

private:
    QString path(const char *name) const { return m_dir->filePath(QString::fromLatin1(name)); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_current;
};

void TestFileDialog::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // Every user may look into it, so the switch to an ordinary user sees the same folders.
    QCOMPARE(::chmod(QFile::encodeName(m_dir->path()).constData(), 0755), 0);
    QVERIFY(QDir().mkpath(path("home/.config")));
    QVERIFY(QDir().mkpath(path("program")));
    qputenv("HOME", QFile::encodeName(path("home")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(path("home/.config")));
    m_current = QDir::currentPath();
    message_box::record_only(true);
}

void TestFileDialog::cleanup()
{
    QDir::setCurrent(m_current);
    QCOMPARE(FileDialog::pending_answers(), 0);
    message_box::take_recorded();
    m_dir.reset();
}

void TestFileDialog::startFolder_data()
{
    QTest::addColumn<int>("program_mode");
    QTest::addColumn<bool>("has_documents");
    QTest::addColumn<QString>("remembered"); // relative to the test folder; empty: none
    QTest::addColumn<QString>("expected");
    QTest::newRow("writable program folder") << 0777 << true << QString() << "program";
    QTest::newRow("read-only program folder") << 0555 << true << QString() << "home/Documents";
    QTest::newRow("read-only, no documents folder") << 0555 << false << QString() << "home";
    QTest::newRow("remembered folder") << 0555 << true << "saved"
                                       << "saved";
    QTest::newRow("remembered folder gone") << 0555 << true << "gone"
                                            << "home/Documents";
    QTest::newRow("writable, remembered folder gone") << 0777 << true << "gone"
                                                      << "program";
}

void TestFileDialog::startFolder()
{
    QFETCH(int, program_mode);
    QFETCH(bool, has_documents);
    QFETCH(QString, remembered);
    QFETCH(QString, expected);
    if (has_documents)
        QVERIFY(QDir().mkpath(path("home/Documents")));
    QVERIFY(QDir().mkpath(path("saved")));
    QCOMPARE(::chmod(QFile::encodeName(path("program")).constData(), mode_t(program_mode)), 0);
    // Start-up makes the program's folder the current one.
    QVERIFY(QDir::setCurrent(path("program")));
    FileDialog dialog(nullptr);
    if (!remembered.isEmpty())
        dialog.set_folder(m_dir->filePath(remembered));
    FileDialog::answer_next(std::nullopt);
    {
        const AsOrdinaryUser user;
        dialog.exec();
    }
    QCOMPARE(dialog.shown_folder(), m_dir->filePath(expected));
    // A cancelled dialog changes nothing it remembers.
    QCOMPARE(dialog.folder(), remembered.isEmpty() ? QString() : m_dir->filePath(remembered));
}

void TestFileDialog::chosenFolder_isWhereTheNextDialogStarts()
{
    QVERIFY(QDir().mkpath(path("chosen")));
    QVERIFY(QDir::setCurrent(path("program")));
    FileDialog dialog(nullptr);
    FileDialog::answer_next(path("chosen/合成语音.wav"));
    FileDialog::answer_next(std::nullopt);
    QCOMPARE(dialog.exec(), std::optional<QString>(path("chosen/合成语音.wav")));
    QCOMPARE(dialog.shown_folder(), path("program"));
    dialog.exec();
    QCOMPARE(dialog.shown_folder(), path("chosen"));
}

void TestFileDialog::chosenFolder_isKeptInTheSettingsAcrossStarts()
{
    const QString folder = path("文件夹 with spaces ");
    QVERIFY(QDir().mkpath(folder));
    const QString config = path("config.ini");
    {
        WindowFixture program(config);
        program.window->on_created();
        FileDialog::answer_next(folder + QStringLiteral("/a.txt"));
        program.window->controls().import_txt->click();
        program.window->on_close_query();
        QCOMPARE(message_box::take_recorded().size(), 1); // the file does not exist
    }
    WindowFixture again(config);
    again.window->on_created();
    FileDialog::answer_next(std::nullopt);
    again.window->controls().import_txt->click();
    QCOMPARE(again.window->controls().dialog->shown_folder(), folder);
}

void TestFileDialog::saveDialog_chosenFilterGivesItsSuffix_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("offered name") << QString() << QStringLiteral("合成语音.mp3");
    QTest::newRow("bare name") << QStringLiteral("bare") << QStringLiteral("bare.mp3");
    QTest::newRow("other suffix") << QStringLiteral("a.flac") << QStringLiteral("a.flac");
}

// The real dialog: choosing the second filter of several swaps the offered name's suffix for
// its own and gives it to a name typed without one.
void TestFileDialog::saveDialog_chosenFilterGivesItsSuffix()
{
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    FileDialog dialog(nullptr);
    dialog.set_folder(m_dir->path());
    dialog.configure(FileDialog::Mode::Save, QStringLiteral("合成语音.wav"),
                     QStringLiteral("文本文档(*.wav)|*.wav|MP3 音频(*.mp3)|*.mp3|FLAC 音频(*.flac)|*.flac"));
    QStringList offered;
    QTimer::singleShot(0, this, [&offered, typed] {
        auto *shown = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(shown != nullptr);
        auto *types = shown->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
        auto *name = shown->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (types == nullptr || name == nullptr) {
            shown->reject();
            QFAIL("not the widget dialog");
        }
        for (int i = 0; i < types->count(); ++i)
            offered.append(types->itemText(i));
        QTest::keyClick(types, Qt::Key_Down);
        if (!typed.isEmpty())
            name->setText(typed);
        QMetaObject::invokeMethod(shown, "accept");
    });
    const std::optional<QString> chosen = dialog.exec();
    QCOMPARE(offered, (QStringList{QStringLiteral("文本文档(*.wav)"), QStringLiteral("MP3 音频(*.mp3)"),
                                   QStringLiteral("FLAC 音频(*.flac)")}));
    QCOMPARE(chosen.value_or(QString()), m_dir->filePath(expected));
}

QTEST_MAIN(TestFileDialog)
#include "test_file_dialog.moc"
