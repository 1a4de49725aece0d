// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/file_dialog.h"
#include "app/dialogs/message_box.h"
#include "app/text/text_box.h"
#include "platform/gbk.h"
#include "window_fixture.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

class TestTextPanel final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void count_showsDesignedTextAtStart();
    void clear_showsZero();
    void paste_replacesAllAndCutsToLimit();
    void paste_withoutTextEmptiesBox();
    void cut_dropsHalfCharacterAtLimit();
    void typingIntoFullText_removesTailAndKeepsCaret();
    void programChange_raisesContentChangedOnce();
    void lineBreak_countsTwoBytes();
    void import_data();
    void import();
    void import_cancelledLeavesText();
    void import_unreadableFileKeepsTextAndSaysSo();
    void import_largeFileReadsOnlyWhatFits();
    void import_nonRegularFileIsRefusedAtOnce_data();
    void import_nonRegularFileIsRefusedAtOnce();
    void undo_neverGoesOverTheLimit_data();
    void droppedFile_isImported();
    void droppedText_isInsertedAsText();
    void undo_neverGoesOverTheLimit();

private:
    QPlainTextEdit *box() const { return m_f->window->controls().text; }
    QString count() const { return m_f->window->controls().count_label->text(); }
    QString write_file(const QByteArray &bytes);

    std::unique_ptr<WindowFixture> m_f;
    int m_files = 0;
};

void TestTextPanel::initTestCase()
{
    message_box::record_only(true);
}

void TestTextPanel::init()
{
    m_f = std::make_unique<WindowFixture>();
    m_f->window->on_created();
}

void TestTextPanel::cleanup()
{
    QCOMPARE(FileDialog::pending_answers(), 0);
    message_box::take_recorded();
    m_f.reset();
}

QString TestTextPanel::write_file(const QByteArray &bytes)
{
    const QString path = m_f->dir.filePath(QStringLiteral("text%1.txt").arg(++m_files));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write test file");
    return path;
}

void TestTextPanel::count_showsDesignedTextAtStart()
{
    QCOMPARE(count(), QStringLiteral("字符数：24/2048"));
}

void TestTextPanel::clear_showsZero()
{
    m_f->window->controls().clear->click();
    QCOMPARE(box()->toPlainText(), QString());
    QCOMPARE(count(), QStringLiteral("字符数：0/2048"));
    QTest::sendKeyEvent(QTest::Click, box(), Qt::Key_unknown, QStringLiteral("中"), Qt::NoModifier);
    QCOMPARE(count(), QStringLiteral("字符数：2/2048"));
}

void TestTextPanel::paste_replacesAllAndCutsToLimit()
{
    const QString text(3000, u'x');
    QGuiApplication::clipboard()->setText(text);
    m_f->window->controls().paste->click();
    QCOMPARE(box()->toPlainText(), text.left(2048));
    QCOMPARE(count(), QStringLiteral("字符数：2048/2048"));
}

void TestTextPanel::paste_withoutTextEmptiesBox()
{
    auto *image_only = new QMimeData;
    image_only->setData(QStringLiteral("image/png"), QByteArray("\x89PNG"));
    QGuiApplication::clipboard()->setMimeData(image_only);
    m_f->window->controls().paste->click();
    QCOMPARE(box()->toPlainText(), QString());
    QCOMPARE(count(), QStringLiteral("字符数：0/2048"));
}

void TestTextPanel::cut_dropsHalfCharacterAtLimit()
{
    box()->setPlainText(QString(2047, u'a') + QStringLiteral("中"));
    QCOMPARE(box()->toPlainText(), QString(2047, u'a'));
    QCOMPARE(count(), QStringLiteral("字符数：2047/2048"));
}

void TestTextPanel::typingIntoFullText_removesTailAndKeepsCaret()
{
    const QString full = QString(1024, u'a') + QString(1024, u'b');
    box()->setPlainText(full);
    QCOMPARE(count(), QStringLiteral("字符数：2048/2048"));
    box()->setFocus();
    QTextCursor cursor = box()->textCursor();
    cursor.setPosition(10);
    box()->setTextCursor(cursor);
    QTest::keyClicks(box(), QStringLiteral("XY"));
    QCOMPARE(box()->toPlainText(), full.left(10) + QStringLiteral("XY") + full.mid(10, 2048 - 12));
    QCOMPARE(box()->textCursor().position(), 12);
    QCOMPARE(count(), QStringLiteral("字符数：2048/2048"));
}

void TestTextPanel::programChange_raisesContentChangedOnce()
{
    QSignalSpy changed(box(), &QPlainTextEdit::textChanged);
    m_f->window->controls().clear->click();
    QCOMPARE(changed.count(), 1);
    QGuiApplication::clipboard()->setText(QStringLiteral("你好"));
    m_f->window->controls().paste->click();
    QCOMPARE(changed.count(), 2);
}

void TestTextPanel::lineBreak_countsTwoBytes()
{
    box()->setPlainText(QStringLiteral("一\n二"));
    QCOMPARE(count(), QStringLiteral("字符数：6/2048"));
    QCOMPARE(text_box_bytes(box()), gbk::encode(QStringLiteral("一\r\n二")));
}

void TestTextPanel::import_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain GBK") << gbk::encode(QStringLiteral("导入的文本")) << QStringLiteral("导入的文本");
    QTest::newRow("CR LF lines") << gbk::encode(QStringLiteral("第一行\r\n第二行")) << QStringLiteral("第一行\n第二行");
    QTest::newRow("stops at zero byte") << QByteArray("abc\0def", 7) << QStringLiteral("abc");
    QTest::newRow("stops at other control") << QByteArray("abc\adef") << QStringLiteral("abc");
    QTest::newRow("stops at ctrl-z") << QByteArray("abc\x1A"
                                                   "def")
                                     << QStringLiteral("abc");
    // 81 1A is one character; the text goes on past it.
    QTest::newRow("1A as second byte") << QByteArray("\x81\x1A"
                                                     "ok")
                                       << gbk::decode(QByteArray("\x81\x1A"
                                                                 "ok"));
    QTest::newRow("00 as second byte") << QByteArray("ab\x81\0cd", 6) << QStringLiteral("ab");
    QTest::newRow("empty file") << QByteArray() << QString();

    const QString poem = QStringLiteral("春眠不觉晓，处处闻啼鸟。");
    const auto utf16 = [](const QString &text, QStringConverter::Encoding encoding) -> QByteArray {
        return QStringEncoder(encoding, QStringConverter::Flag::WriteBom).encode(text);
    };
    QTest::newRow("UTF-8 with BOM") << "\xEF\xBB\xBF" + poem.toUtf8() << poem;
    QTest::newRow("UTF-8 without BOM") << poem.toUtf8() << poem;
    QTest::newRow("UTF-16 LE") << utf16(poem, QStringConverter::Utf16LE) << poem;
    QTest::newRow("UTF-16 BE") << utf16(poem, QStringConverter::Utf16BE) << poem;
    QTest::newRow("UTF-8 LF lines") << QStringLiteral("春眠\n不觉晓\n").toUtf8() << QStringLiteral("春眠\n不觉晓\n");
    QTest::newRow("UTF-8 CR LF lines") << QStringLiteral("春眠\r\n不觉晓").toUtf8() << QStringLiteral("春眠\n不觉晓");
    QTest::newRow("UTF-8 stops at zero") << QByteArray("\xE6\x98\xA5\0tail", 8) << QStringLiteral("春");
    // The limit counts the converted text: 4500 bytes of UTF-8 are 3000 GBK bytes, 2048 kept.
    QTest::newRow("UTF-8 cut after conversion") << QString(1500, u'春').toUtf8() << QString(1024, u'春');
    QTest::newRow("UTF-16 cut after conversion")
        << utf16(QString(3000, u'a'), QStringConverter::Utf16LE) << QString(2048, u'a');
}

void TestTextPanel::import()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);
    FileDialog::answer_next(write_file(file));
    m_f->window->controls().import_txt->click();
    QCOMPARE(box()->toPlainText(), expected);
    const FileDialog *dialog = m_f->window->controls().dialog;
    QCOMPARE(dialog->mode(), FileDialog::Mode::Open);
    QCOMPARE(dialog->filter(), QStringLiteral("文本文档(*.txt)|*.txt"));
    QCOMPARE(dialog->initial_name(), QString());
    QVERIFY(message_box::take_recorded().isEmpty());
}

void TestTextPanel::import_cancelledLeavesText()
{
    FileDialog::answer_next(std::nullopt);
    m_f->window->controls().import_txt->click();
    QCOMPARE(box()->toPlainText(), QStringLiteral("请在这里输入要合成的文本"));
    QVERIFY(message_box::take_recorded().isEmpty());
}

void TestTextPanel::import_unreadableFileKeepsTextAndSaysSo()
{
    const QString missing = m_f->dir.filePath(QStringLiteral("gone.txt"));
    FileDialog::answer_next(missing);
    m_f->window->controls().import_txt->click();
    QCOMPARE(box()->toPlainText(), QStringLiteral("请在这里输入要合成的文本"));
    QCOMPARE(message_box::take_recorded(),
             QStringList{QStringLiteral("无法读取文件：") + missing + QStringLiteral("（没有那个文件或目录）")});
}

void TestTextPanel::import_largeFileReadsOnlyWhatFits()
{
    // 8 MB of Chinese text with a zero byte far past the limit: the result is the first
    // 2048 bytes, exactly as reading all and cutting would give.
    const QByteArray chunk = gbk::encode(QStringLiteral("大文件"));
    QByteArray big;
    while (big.size() < 8 * 1024 * 1024)
        big += chunk;
    big += QByteArray("\0tail", 5);
    FileDialog::answer_next(write_file(big));
    m_f->window->controls().import_txt->click();
    QCOMPARE(text_box_bytes(box()), big.left(2048));
    QCOMPARE(count(), QStringLiteral("字符数：2048/2048"));
}

void TestTextPanel::import_nonRegularFileIsRefusedAtOnce_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("why");
    QTest::newRow("pipe") << QStringLiteral("pipe") << QStringLiteral("不是普通文件");
    QTest::newRow("folder") << QStringLiteral("folder") << QStringLiteral("是一个目录");
    QTest::newRow("device") << QStringLiteral("device") << QStringLiteral("不是普通文件");
}

void TestTextPanel::import_nonRegularFileIsRefusedAtOnce()
{
    QFETCH(QString, kind);
    QFETCH(QString, why);
    QString path = m_f->dir.filePath(kind + QStringLiteral(".txt"));
    std::thread writer;
    if (kind == QLatin1StringView("pipe")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        // A writer that waits for a reader: an import that opens the pipe gets an empty text
        // from it instead of hanging the test.
        writer = std::thread([name = QFile::encodeName(path)] {
            const int fd = ::open(name.constData(), O_WRONLY);
            if (fd >= 0)
                ::close(fd);
        });
    } else if (kind == QLatin1StringView("folder")) {
        QVERIFY(QDir(m_f->dir.path()).mkdir(kind + QStringLiteral(".txt")));
    } else {
        path = QStringLiteral("/dev/null");
    }
    FileDialog::answer_next(path);
    m_f->window->controls().import_txt->click();
    if (writer.joinable()) {
        // Lets a writer still waiting go.
        const int reader = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
        writer.join();
        ::close(reader);
    }
    QCOMPARE(box()->toPlainText(), QStringLiteral("请在这里输入要合成的文本"));
    QCOMPARE(message_box::take_recorded(), QStringList{QStringLiteral("无法读取文件：") + path + u'（' + why + u'）'});
}

void TestTextPanel::undo_neverGoesOverTheLimit_data()
{
    QTest::addColumn<QString>("how"); // how the text came over the limit
    QTest::newRow("cut import") << QStringLiteral("import");
    QTest::newRow("cut paste") << QStringLiteral("paste");
    QTest::newRow("typing into a full text") << QStringLiteral("typing");
    QTest::newRow("pasting into a full text") << QStringLiteral("paste key");
}

void TestTextPanel::undo_neverGoesOverTheLimit()
{
    QFETCH(QString, how);
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    const QString full = QString(1024, u'a') + QString(1024, u'b');
    box()->setFocus();
    const auto type_at_10 = [this] {
        QTextCursor cursor = box()->textCursor();
        cursor.setPosition(10);
        box()->setTextCursor(cursor);
        QTest::keyClick(box(), Qt::Key_X);
    };
    if (how == QLatin1StringView("import")) {
        FileDialog::answer_next(write_file(QByteArray(3000, 'x')));
        m_f->window->controls().import_txt->click();
        // The user goes on editing the full text.
        type_at_10();
    } else if (how == QLatin1StringView("paste")) {
        QGuiApplication::clipboard()->setText(QString(3000, u'x'));
        m_f->window->controls().paste->click();
        type_at_10();
    } else {
        box()->setPlainText(full);
        QTextCursor cursor = box()->textCursor();
        cursor.setPosition(10);
        box()->setTextCursor(cursor);
        if (how == QLatin1StringView("typing")) {
            QTest::keyClick(box(), Qt::Key_X);
        } else {
            QGuiApplication::clipboard()->setText(QString(100, u'z'));
            QTest::keySequence(box(), QKeySequence::Paste);
        }
    }
    QCOMPARE(text_box_bytes(box()).size(), 2048);
    const QString cut = box()->toPlainText();
    // Undoing the cut would bring back the text over the limit: the cut text stays, and no
    // earlier step is brought back either.
    QTest::keySequence(box(), QKeySequence::Undo);
    QCOMPARE(box()->toPlainText(), cut);
    QTest::keySequence(box(), QKeySequence::Undo);
    QCOMPARE(box()->toPlainText(), cut);
    QCOMPARE(count(), QStringLiteral("字符数：%1/2048").arg(text_box_bytes(box()).size()));
}

namespace {

// Drags data onto the text box and drops it there, as a file manager would; true when the
// box took the drop.
bool drop_on(QPlainTextEdit *box, QMimeData *data)
{
    QWidget *target = box->viewport();
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

} // namespace

void TestTextPanel::droppedFile_isImported()
{
    const QString path = write_file(QStringLiteral("拖进来的文本").toUtf8());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    // File managers add the path as text too; the box must not paste that.
    data.setText(path);
    QVERIFY(drop_on(box(), &data));
    QCOMPARE(box()->toPlainText(), QStringLiteral("拖进来的文本"));
    QCOMPARE(count(), QStringLiteral("字符数：12/2048"));

    // A file that cannot be read is reported as the import reports it, and the text stays.
    const QString missing = m_f->dir.filePath(QStringLiteral("gone.txt"));
    data.setUrls({QUrl::fromLocalFile(missing)});
    QVERIFY(drop_on(box(), &data));
    QCOMPARE(box()->toPlainText(), QStringLiteral("拖进来的文本"));
    QCOMPARE(message_box::take_recorded(),
             QStringList{QStringLiteral("无法读取文件：") + missing + QStringLiteral("（没有那个文件或目录）")});
}

void TestTextPanel::droppedText_isInsertedAsText()
{
    box()->clear();
    QMimeData data;
    data.setText(QStringLiteral("拖进来的字"));
    QVERIFY(drop_on(box(), &data));
    QCOMPARE(box()->toPlainText(), QStringLiteral("拖进来的字"));
}

QTEST_MAIN(TestTextPanel)
#include "test_text_panel.moc"
