// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/file_dialog.h"
#include "app/dialogs/message_box.h"
#include "app/feedback/feedback_window.h"
#include "window_fixture.h"

#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

class TestMainWindow final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void controls_data();
    void controls();
    void comboBoxes_startEmptyAndNotEditable();
    void textBox_wrapsAndScrollsVerticallyOnly();
    void statusBar_hasFourPanels();
    void window_isFixedSizeWithoutMaximize();
    void centredPosition_usesIntegerDivision();
    void startup_setsCaptionAndInitialisesEngineOnce();
    void startup_reportsFailedInitialisation();
    void startup_attachesSkinBeforeAnythingElse();
    void close_withoutSession_finalisesWithoutEndingSession();
    void close_whenSessionEndFails_skipsFinalise();
    void close_isNeverRefused();
    void statusBarPress_leftPartOpensFeedback();
    void escape_doesNotClose();
    void sessionStartFailure_namesItsTrueCause_data();
    void sessionStartFailure_namesItsTrueCause();
    void lists_areNamedAfterTheirCaptions();
    void buttonsAndLists_haveTooltips();
    void shortcuts_pressTheirButtons_data();
    void shortcuts_pressTheirButtons();
    void feedbackShortcut_opensFeedback();
    void feedbackWindow_namesPictureAndCodeField();

private:
    std::unique_ptr<WindowFixture> m_f;
};

void TestMainWindow::init()
{
    m_f = std::make_unique<WindowFixture>();
}

void TestMainWindow::cleanup()
{
    m_f.reset();
}

void TestMainWindow::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    const auto row = [](const char16_t *name, const char *kind, const char16_t *parent, QRect r, const char16_t *text) {
        QTest::newRow(QString::fromUtf16(name).toUtf8().constData())
            << QString::fromUtf16(name) << QString::fromLatin1(kind) << QString::fromUtf16(parent) << r
            << QString::fromUtf16(text);
    };
    row(u"分组框4", "QGroupBox", u"client", {8, 5, 376, 419}, u"输入文本");
    row(u"编辑框_合成文本", "QPlainTextEdit", u"分组框4", {9, 20, 358, 365}, u"请在这里输入要合成的文本");
    row(u"标签_字符", "QLabel", u"分组框4", {10, 389, 130, 24}, u"字符数：");
    row(u"按钮4", "QPushButton", u"分组框4", {142, 389, 40, 25}, u"清空");
    row(u"按钮3", "QPushButton", u"分组框4", {184, 389, 40, 25}, u"粘贴");
    row(u"按钮1", "QPushButton", u"分组框4", {226, 389, 81, 25}, u"导入TXT文本");
    row(u"按钮2", "QPushButton", u"分组框4", {311, 389, 56, 25}, u"停止播放");
    row(u"分组框2", "QGroupBox", u"client", {392, 5, 264, 99}, u"①发音人选择");
    row(u"标签1", "QLabel", u"分组框2", {21, 32, 56, 15}, u"引擎类型：");
    row(u"组合框_引擎类型", "QComboBox", u"分组框2", {83, 29, 161, 20}, u"");
    row(u"标签5", "QLabel", u"分组框2", {33, 63, 46, 15}, u"发音人：");
    row(u"组合框_发音人", "QComboBox", u"分组框2", {83, 60, 161, 20}, u"");
    row(u"分组框3", "QGroupBox", u"client", {392, 114, 264, 99}, u"②声音特征设置");
    row(u"标签3", "QLabel", u"分组框3", {8, 32, 34, 13}, u"语速：");
    row(u"组合框_语速", "QComboBox", u"分组框3", {43, 29, 86, 20}, u"");
    row(u"标签4", "QLabel", u"分组框3", {135, 32, 34, 13}, u"音量：");
    row(u"组合框_音量", "QComboBox", u"分组框3", {170, 29, 86, 20}, u"");
    row(u"标签8", "QLabel", u"分组框3", {8, 66, 40, 13}, u"背景音：");
    row(u"组合框_背景音", "QComboBox", u"分组框3", {55, 63, 49, 20}, u"");
    row(u"标签12", "QLabel", u"分组框3", {111, 66, 56, 13}, u"数字发音：");
    row(u"组合框_数字发音", "QComboBox", u"分组框3", {170, 63, 86, 20}, u"");
    row(u"分组框1", "QGroupBox", u"client", {392, 224, 264, 128}, u"③高级设置");
    row(u"标签7", "QLabel", u"分组框1", {8, 28, 56, 13}, u"文本编码：");
    row(u"组合框_文本编码", "QComboBox", u"分组框1", {67, 25, 61, 20}, u"");
    row(u"标签6", "QLabel", u"分组框1", {135, 28, 53, 13}, u"文本类型：");
    row(u"组合框_文本类型", "QComboBox", u"分组框1", {194, 25, 61, 20}, u"");
    row(u"标签10", "QLabel", u"分组框1", {8, 62, 56, 13}, u"音频格式：");
    row(u"组合框_音频格式", "QComboBox", u"分组框1", {67, 59, 187, 20}, u"");
    row(u"标签9", "QLabel", u"分组框1", {8, 96, 56, 13}, u"音频编码：");
    row(u"组合框_音频编码", "QComboBox", u"分组框1", {67, 93, 61, 20}, u"");
    row(u"标签2", "QLabel", u"分组框1", {135, 96, 56, 13}, u"压缩等级：");
    row(u"组合框_压缩等级", "QComboBox", u"分组框1", {194, 93, 61, 20}, u"");
    row(u"按钮_恢复默认", "QPushButton", u"client", {400, 391, 64, 32}, u"默认值");
    row(u"按钮_开始合成", "QPushButton", u"client", {474, 367, 98, 56}, u"开始合成");
    row(u"按钮_保存语音", "QPushButton", u"client", {583, 391, 64, 32}, u"保存语音");
}

void TestMainWindow::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);

    MainWindow &window = *m_f->window;
    window.show();
    const QList<QWidget *> found = window.findChildren<QWidget *>(name);
    QCOMPARE(found.size(), 1);
    QWidget *widget = found.constFirst();
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), kind);
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    QCOMPARE(widget->geometry(), geometry);
    QVERIFY(widget->isVisible());
    QVERIFY(widget->isEnabled());

    QString shown;
    if (auto *box = qobject_cast<QGroupBox *>(widget))
        shown = box->title();
    else if (auto *label = qobject_cast<QLabel *>(widget))
        shown = label->text();
    else if (auto *button = qobject_cast<QPushButton *>(widget))
        shown = button->text();
    else if (auto *edit = qobject_cast<QPlainTextEdit *>(widget))
        shown = edit->toPlainText();
    QCOMPARE(shown, text);

    // Buttons, combo boxes and the text box take the focus by Tab; labels and group boxes do not.
    const bool focusable = kind == QLatin1String("QPushButton") || kind == QLatin1String("QComboBox")
                           || kind == QLatin1String("QPlainTextEdit");
    QCOMPARE(bool(widget->focusPolicy() & Qt::TabFocus), focusable);
}

void TestMainWindow::comboBoxes_startEmptyAndNotEditable()
{
    const QList<QComboBox *> combos = m_f->window->findChildren<QComboBox *>();
    QCOMPARE(combos.size(), 11);
    for (const QComboBox *combo : combos) {
        QVERIFY2(combo->objectName().startsWith(QStringLiteral("组合框_")), qPrintable(combo->objectName()));
        QCOMPARE(combo->count(), 0);
        QCOMPARE(combo->currentIndex(), -1);
        QVERIFY(!combo->isEditable());
    }
}

void TestMainWindow::textBox_wrapsAndScrollsVerticallyOnly()
{
    const QPlainTextEdit *text = m_f->window->controls().text;
    QCOMPARE(text->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QCOMPARE(text->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QVERIFY(text->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff);
    QVERIFY(!text->isReadOnly());
    // Enter starts a new line rather than moving on.
    QPlainTextEdit *box = m_f->window->controls().text;
    box->moveCursor(QTextCursor::End);
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(box->toPlainText(), QStringLiteral("请在这里输入要合成的文本\n"));
}

void TestMainWindow::statusBar_hasFourPanels()
{
    const Controls &c = m_f->window->controls();
    QCOMPARE(c.status_bar->objectName(), QStringLiteral("状态条1"));
    QCOMPARE(c.status_bar->height(), 20);
    const QList<QLabel *> panels = c.status_bar->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(panels.size(), 4);
    QCOMPARE(panels[0]->text(), QStringLiteral("当前状态："));
    QCOMPARE(panels[0]->width(), 70);
    QCOMPARE(panels[1], c.status_panel);
    QCOMPARE(panels[1]->text(), QString());
    QCOMPARE(panels[1]->width(), 200);
    QCOMPARE(panels[2]->text(), QStringLiteral("软件官网："));
    QCOMPARE(panels[2]->width(), 70);
    QVERIFY(!panels[3]->text().contains(QStringLiteral("://")));
    QVERIFY(panels[3]->text().contains(u'.'));

    m_f->window->show_status(QStringLiteral("语音已合成"));
    QCOMPARE(c.status_panel->text(), QStringLiteral("语音已合成"));
}

void TestMainWindow::window_isFixedSizeWithoutMaximize()
{
    MainWindow &window = *m_f->window;
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(window.windowFlags() & Qt::WindowCloseButtonHint);
    // The client area holds every control with the status bar under them.
    const Controls &c = window.controls();
    window.show();
    QVERIFY(c.status_bar->geometry().top() >= 5 + 419);
    QVERIFY(window.width() >= 392 + 264);
}

void TestMainWindow::centredPosition_usesIntegerDivision()
{
    QCOMPARE(MainWindow::centred_position({1920, 1080}), QPoint(624, 299));
    QCOMPARE(MainWindow::centred_position({1366, 768}), QPoint(347, 143));
}

void TestMainWindow::startup_setsCaptionAndInitialisesEngineOnce()
{
    // By the time the engine is initialised, the caption, every list and the count are done.
    const Controls &c = m_f->window->controls();
    QStringList seen_at_init;
    fake_engine::script().on_init = [&] {
        seen_at_init << m_f->window->windowTitle() << c.engine_type->currentText() << c.voice->currentText()
                     << c.compression->currentText() << c.count_label->text() << c.status_panel->text();
    };
    m_f->window->on_created();
    QCOMPARE(seen_at_init, (QStringList{QStringLiteral("Lumeno语音合成工具V1.0"), QStringLiteral("中文语音引擎"),
                                        QStringLiteral("小燕(青年女声)"), QStringLiteral("7"),
                                        QStringLiteral("字符数：24/2048"), QString()}));
    QCOMPARE(m_f->window->windowTitle(), QStringLiteral("Lumeno语音合成工具V1.0"));
    QCOMPARE(m_f->window->version_text(), QByteArray("1.0"));
    QCOMPARE(fake_engine::calls().size(), 1);
    QVERIFY(fake_engine::calls().constFirst().startsWith(QStringLiteral("QTTSInit(server_url=")));
    QVERIFY(fake_engine::calls().constFirst().contains(
        QStringLiteral(",timeout=10000,coding_libs=libmsc_speex.so,max_text_size=4096)")));
    QCOMPARE(m_f->window->controls().status_panel->text(), QStringLiteral("已成功连接服务器"));
    QCOMPARE(m_f->window->controls().count_label->text(), QStringLiteral("字符数：24/2048"));
}

void TestMainWindow::startup_reportsFailedInitialisation()
{
    fake_engine::script().init_result = 10106;
    m_f->window->on_created();
    QCOMPARE(m_f->window->controls().status_panel->text(), QStringLiteral("初始化失败"));
    // The window is complete and usable all the same.
    QVERIFY(m_f->window->controls().start->isEnabled());
}

void TestMainWindow::startup_attachesSkinBeforeAnythingElse()
{
    const Controls &c = m_f->window->controls();
    QStringList seen_at_skin;
    int attached = 0;
    m_f->window->set_skin_attach([&] {
        ++attached;
        seen_at_skin << m_f->window->windowTitle() << QString::number(c.engine_type->count())
                     << QString::number(fake_engine::calls().size()) << c.status_panel->text();
    });
    m_f->window->on_created();
    QCOMPARE(attached, 1);
    // Designed caption, empty lists, engine untouched, nothing reported yet.
    QCOMPARE(seen_at_skin, (QStringList{QStringLiteral("Lumeno语音合成工具V1.0"), QStringLiteral("0"),
                                        QStringLiteral("0"), QString()}));
    QCOMPARE(c.status_panel->text(), QStringLiteral("已成功连接服务器"));
}

void TestMainWindow::close_withoutSession_finalisesWithoutEndingSession()
{
    m_f->window->on_created();
    fake_engine::calls().clear();
    m_f->window->on_close_query();
    QCOMPARE(fake_engine::calls(), QStringList{QStringLiteral("QTTSFini")});
}

void TestMainWindow::close_whenSessionEndFails_skipsFinalise()
{
    m_f->window->on_created();
    fake_engine::script().session_id = "open-session";
    QCOMPARE(m_f->engine.begin_session("vcn=xiaoyan"), 0);
    fake_engine::script().session_end_result = 10108;
    fake_engine::calls().clear();
    m_f->window->on_close_query();
    QCOMPARE(fake_engine::calls(), QStringList{QStringLiteral("QTTSSessionEnd(open-session,正常关闭)")});
}

void TestMainWindow::close_isNeverRefused()
{
    m_f->window->on_created();
    m_f->window->show();
    fake_engine::script().session_end_result = 1;
    fake_engine::script().session_id = "s";
    QCOMPARE(m_f->engine.begin_session("vcn=xiaoyan"), 0);
    QVERIFY(m_f->window->close());
    QVERIFY(!m_f->window->isVisible());
}

void TestMainWindow::statusBarPress_leftPartOpensFeedback()
{
    int opened = 0;
    m_f->window->set_feedback_opener([&opened] { ++opened; });
    m_f->window->show();
    QStatusBar *bar = m_f->window->controls().status_bar;
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(30, 10));
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(269, 10));
    QTest::mouseClick(bar, Qt::RightButton, {}, QPoint(30, 10));
    QCOMPARE(opened, 2);
}

void TestMainWindow::escape_doesNotClose()
{
    m_f->window->show();
    QTest::keyClick(m_f->window.get(), Qt::Key_Escape);
    QVERIFY(m_f->window->isVisible());
}

void TestMainWindow::sessionStartFailure_namesItsTrueCause_data()
{
    QTest::addColumn<int>("init_result");
    QTest::addColumn<int>("begin_error");
    QTest::addColumn<QString>("at_start");
    QTest::addColumn<QString>("at_first_run");
    // espeak-ng starts after QTTSInit has returned: its unusable data shows at the first session.
    QTest::newRow("espeak-ng's data unusable") << 0 << int(QTTS_ERROR_SPEECH_ENGINE) << "已成功连接服务器"
                                               << "初始化失败：espeak-ng数据不可用";
    QTest::newRow("engine never started")
        << int(QTTS_ERROR_SPEECH_ENGINE) << int(QTTS_ERROR_NOT_INITIALISED) << "初始化失败"
        << "初始化失败";
    QTest::newRow("session refused") << 0 << int(QTTS_ERROR_INVALID_PARAMS) << "已成功连接服务器"
                                     << "启动会话失败，请检查appid是否可用";
}

void TestMainWindow::sessionStartFailure_namesItsTrueCause()
{
    QFETCH(int, init_result);
    QFETCH(int, begin_error);
    QFETCH(QString, at_start);
    QFETCH(QString, at_first_run);
    fake_engine::script().init_result = init_result;
    fake_engine::script().session_begin_error = begin_error;
    fake_engine::script().session_id = QByteArray();
    m_f->window->on_created();
    const Controls &c = m_f->window->controls();
    QCOMPARE(c.status_panel->text(), at_start);
    c.start->click();
    QCOMPARE(c.status_panel->text(), at_first_run);
    QVERIFY(c.start->isEnabled());
}

void TestMainWindow::lists_areNamedAfterTheirCaptions()
{
    const Controls &c = m_f->window->controls();
    m_f->window->on_created();
    const auto name_of = [](QWidget *w) { return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name); };
    const QList<std::pair<QComboBox *, const char16_t *>> expected = {
        {c.engine_type, u"引擎类型"},
        {c.voice, u"发音人"},
        {c.speed, u"语速"},
        {c.volume, u"音量"},
        {c.background, u"背景音"},
        {c.numbers, u"数字发音"},
        {c.text_encoding, u"文本编码"},
        {c.text_type, u"文本类型"},
        {c.audio_format, u"音频格式"},
        {c.audio_encoding, u"音频编码"},
        {c.compression, u"压缩等级"},
    };
    // On Linux a list's accessible name is its current text: a screen reader names the list
    // by the label it is labelled by.
    // (The group's title labels every control in it as well.)
    const auto captions_of = [](QWidget *w) {
        QStringList names;
        for (const auto &label : QAccessible::queryAccessibleInterface(w)->relations(QAccessible::Label))
            names << label.first->text(QAccessible::Name);
        return names;
    };
    for (const auto &[list, name] : expected) {
        QCOMPARE(list->accessibleName(), QString::fromUtf16(name));
        const QStringList captions = captions_of(list);
        QVERIFY2(captions.contains(QString::fromUtf16(name) + u'：'), qPrintable(captions.join(u',')));
    }
    // Two lists showing "正常" are told apart.
    QCOMPARE(c.speed->currentText(), c.volume->currentText());
    QCOMPARE(name_of(c.text), QStringLiteral("输入文本"));
}

void TestMainWindow::buttonsAndLists_haveTooltips()
{
    QStringList without;
    for (const QWidget *w : m_f->window->findChildren<QWidget *>()) {
        const bool control = qobject_cast<const QPushButton *>(w) || qobject_cast<const QComboBox *>(w);
        if (control && w->toolTip().isEmpty())
            without << w->objectName();
    }
    QVERIFY2(without.isEmpty(), qPrintable(without.join(u' ')));
    QVERIFY(m_f->window->controls().save->toolTip().contains(QStringLiteral("Ctrl+S")));
}

void TestMainWindow::shortcuts_pressTheirButtons_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("button");
    QTest::newRow("Ctrl+Return speaks") << int(Qt::Key_Return) << int(Qt::ControlModifier) << "按钮_开始合成";
    QTest::newRow("Ctrl+Enter speaks") << int(Qt::Key_Enter) << int(Qt::ControlModifier | Qt::KeypadModifier)
                                       << "按钮_开始合成";
    QTest::newRow("Esc stops") << int(Qt::Key_Escape) << int(Qt::NoModifier) << "按钮2";
    QTest::newRow("Ctrl+S saves") << int(Qt::Key_S) << int(Qt::ControlModifier) << "按钮_保存语音";
    QTest::newRow("Ctrl+O imports") << int(Qt::Key_O) << int(Qt::ControlModifier) << "按钮1";
}

void TestMainWindow::shortcuts_pressTheirButtons()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, button);
    message_box::record_only(true);
    m_f->window->on_created();
    const Controls &c = m_f->window->controls();
    // An empty text makes "开始合成" stop at its first check.
    c.text->clear();
    FileDialog::answer_next(std::nullopt);
    m_f->window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_f->window.get()));
    // Typing in the text box, where the keys matter most.
    c.text->setFocus();
    QStringList pressed;
    for (QPushButton *b : m_f->window->findChildren<QPushButton *>())
        connect(b, &QPushButton::clicked, this, [&pressed, b] { pressed << b->objectName(); });
    QTest::keyClick(c.text, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(pressed, QStringList{button});
    QCOMPARE(c.text->toPlainText(), QString()); // the keys typed nothing
    while (FileDialog::pending_answers() > 0)
        c.dialog->exec();
    message_box::take_recorded();
    message_box::record_only(false);
}

void TestMainWindow::feedbackShortcut_opensFeedback()
{
    int opened = 0;
    m_f->window->set_feedback_opener([&opened] { ++opened; });
    m_f->window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_f->window.get()));
    QTest::keyClick(m_f->window->controls().text, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(opened, 1);
}

void TestMainWindow::feedbackWindow_namesPictureAndCodeField()
{
    FeedbackWindow window(10, QUrl(QStringLiteral("http://127.0.0.1:9")));
    const auto name_of = [&window](const char16_t *control) {
        QWidget *w = window.findChild<QWidget *>(QString::fromUtf16(control));
        return w ? QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name) : QString();
    };
    QVERIFY(name_of(u"图片框_验证码").contains(QStringLiteral("验证码图片")));
    QCOMPARE(name_of(u"编辑框_验证码"), QStringLiteral("验证码"));
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
