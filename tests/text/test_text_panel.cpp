#include "platform/file_dialog.h"
#include "platform/gbk.h"
#include "platform/message_box.h"
#include "text/text_box.h"
#include "window_fixture.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

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
    const QStringList messages = message_box::take_recorded();
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages.constFirst().contains(QStringLiteral("gone.txt")));
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

QTEST_MAIN(TestTextPanel)
#include "test_text_panel.moc"
