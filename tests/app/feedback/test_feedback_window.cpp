// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/message_box.h"
#include "app/feedback/feedback_window.h"
#include "feedback/feedback_form.h"
#include "feedback/feedback_wire.h"
#include "raw_http_server.h"
#include "running_service.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {

constexpr qint32 kSoftware = 10;

ServiceSettings service_settings(QByteArray types, std::shared_ptr<QByteArray> code, std::shared_ptr<int> images)
{
    ServiceSettings s;
    s.type_list = std::move(types);
    s.make_code = [code, images] {
        ++*images;
        return *code;
    };
    return s;
}

template <typename T> T *control(const QWidget &window, const char16_t *name)
{
    return window.findChild<T *>(QString::fromUtf16(name));
}

} // namespace

// The feedback window against the real service on loopback, and against a scripted server
// for what the real one never does.
class TestFeedbackWindow final : public QObject {
    Q_OBJECT

private slots:
    void init();
    void typeList_fillsComboWithNumbersAndSelectsFirst();
    void unusableTypeList_showsMaintenanceAndCloses_data();
    void unusableTypeList_showsMaintenanceAndCloses();
    void image_isShownWithCodeBoxEmptiedAndFocused();
    void undecodableImage_leavesBoxEmpty();
    void checks_stopInOrderWithMessageAndFocus_data();
    void checks_stopInOrderWithMessageAndFocus();
    void submit_withContentAndCode_storesAnonymousAndNone();
    void submit_bodyOnTheWireIsEncoded();
    void cancelAtConfirmation_sendsNothing();
    void boxes_holdNoMoreThanTheServiceStores_data();
    void boxes_holdNoMoreThanTheServiceStores();
    void wrongCode_bringsNewImageAndEmptiesCodeBox();

private:
    // A service serving 1:建议;2:问题 and a window over it, created and shown.
    void open_over_service();
    void fill(const char16_t *content, const char16_t *code);

    std::shared_ptr<QByteArray> m_code;
    std::shared_ptr<int> m_images;
    std::unique_ptr<RunningService> m_service;
    std::unique_ptr<FeedbackWindow> m_window;
};

void TestFeedbackWindow::init()
{
    message_box::record_only(true);
    message_box::take_recorded();
    m_window.reset();
    m_service.reset();
    m_code = std::make_shared<QByteArray>("AB12");
    m_images = std::make_shared<int>(0);
}

void TestFeedbackWindow::open_over_service()
{
    m_service =
        std::make_unique<RunningService>(service_settings(QStringLiteral("1:建议;2:问题").toUtf8(), m_code, m_images));
    QVERIFY(m_service->serving);
    m_window = std::make_unique<FeedbackWindow>(kSoftware, m_service->url());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_window->on_created();
    QCOMPARE(control<QComboBox>(*m_window, u"组合框_类型")->count(), 2);
}

void TestFeedbackWindow::fill(const char16_t *content, const char16_t *code)
{
    control<QPlainTextEdit>(*m_window, u"编辑框_内容")->setPlainText(QString::fromUtf16(content));
    control<QLineEdit>(*m_window, u"编辑框_验证码")->setText(QString::fromUtf16(code));
}

void TestFeedbackWindow::typeList_fillsComboWithNumbersAndSelectsFirst()
{
    open_over_service();
    const QComboBox *types = control<QComboBox>(*m_window, u"组合框_类型");
    QCOMPARE(types->itemText(0), QStringLiteral("建议"));
    QCOMPARE(types->itemData(0).toInt(), 1);
    QCOMPARE(types->itemText(1), QStringLiteral("问题"));
    QCOMPARE(types->itemData(1).toInt(), 2);
    QCOMPARE(types->currentIndex(), 0);
    QVERIFY(message_box::take_recorded().isEmpty());
    QVERIFY(m_window->isVisible());
}

void TestFeedbackWindow::unusableTypeList_showsMaintenanceAndCloses_data()
{
    QTest::addColumn<QString>("server");
    QTest::newRow("error page") << QStringLiteral("html");
    QTest::newRow("service down") << QStringLiteral("down");
    QTest::newRow("silent server") << QStringLiteral("silent");
    QTest::newRow("oversized reply") << QStringLiteral("oversized");
}

void TestFeedbackWindow::unusableTypeList_showsMaintenanceAndCloses()
{
    QFETCH(QString, server);
    RawHttpServer raw;
    QUrl url = raw.url();
    if (server == u"html") {
        m_service =
            std::make_unique<RunningService>(service_settings("<html><body>1:a;2:b</body></html>", m_code, m_images));
        url = m_service->url();
    } else if (server == u"down") {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        url = QUrl(QStringLiteral("http://127.0.0.1:%1").arg(closed.serverPort()));
    } else if (server == u"silent") {
        raw.stay_silent();
    } else {
        QByteArray huge;
        while (huge.size() <= 2 * HttpClient::kReplyLimit)
            huge += "1:a;";
        raw.answer(huge);
    }
    FeedbackWindow window(kSoftware, url, 400ms);
    QSignalSpy finished(&window, &QDialog::finished);
    window.show();
    window.on_created();
    QCOMPARE(message_box::take_recorded(), QStringList{QStringLiteral("在线反馈程序正在维护，请稍后再试！")});
    QCOMPARE(finished.size(), 1);
    QVERIFY(!window.isVisible());
    QCOMPARE(control<QComboBox>(window, u"组合框_类型")->count(), 0);
}

void TestFeedbackWindow::image_isShownWithCodeBoxEmptiedAndFocused()
{
    open_over_service();
    QLineEdit *code = control<QLineEdit>(*m_window, u"编辑框_验证码");
    code->setText(QStringLiteral("old"));
    m_window->findChild<QPushButton *>()->setFocus();
    QTest::mouseClick(control<QLabel>(*m_window, u"图片框_验证码"), Qt::LeftButton);
    QCOMPARE(*m_images, 1);
    const QImage image = control<QLabel>(*m_window, u"图片框_验证码")->pixmap().toImage();
    QCOMPARE(image.size(), QSize(120, 44));
    // The code is drawn dark over light noise: without a usable font only the noise is there.
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            dark += QColor(image.pixel(x, y)).value() < 140;
    QVERIFY2(dark > 200, qPrintable(QString::number(dark)));
    QVERIFY(code->text().isEmpty());
    QCOMPARE(m_window->focusWidget(), code);
}

void TestFeedbackWindow::undecodableImage_leavesBoxEmpty()
{
    RawHttpServer raw;
    FeedbackWindow window(kSoftware, raw.url());
    const QLabel *picture = control<QLabel>(window, u"图片框_验证码");
    QImage image(40, 20, QImage::Format_RGB888);
    image.fill(Qt::red);
    QBuffer bmp;
    bmp.open(QIODevice::WriteOnly);
    image.save(&bmp, "BMP");
    raw.answer(bmp.data());
    window.load_verification_image();
    QCOMPARE(picture->pixmap().size(), QSize(40, 20));

    raw.answer("BM this is not a picture");
    window.load_verification_image();
    QVERIFY(picture->pixmap().isNull());
}

void TestFeedbackWindow::checks_stopInOrderWithMessageAndFocus_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<bool>("reply");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("no content") << QStringLiteral(" 　") << true << QString() << QString()
                                << QStringLiteral("请先填写反馈内容！") << QStringLiteral("编辑框_内容");
    QTest::newRow("reply without address")
        << QStringLiteral("好") << true << QStringLiteral("　") << QString()
        << QStringLiteral("请先填写邮箱内容，或取消接受反馈！") << QStringLiteral("编辑框_邮箱");
    QTest::newRow("no code") << QStringLiteral("好") << false << QString() << QStringLiteral(" ")
                             << QStringLiteral("请先填写验证码内容，点击左侧显示！") << QStringLiteral("编辑框_验证码");
}

void TestFeedbackWindow::checks_stopInOrderWithMessageAndFocus()
{
    QFETCH(QString, content);
    QFETCH(bool, reply);
    QFETCH(QString, address);
    QFETCH(QString, code);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    open_over_service();
    m_window->load_verification_image();
    control<QPlainTextEdit>(*m_window, u"编辑框_内容")->setPlainText(content);
    QTest::mouseClick(control<QCheckBox>(*m_window, u"选择框_邮箱"), Qt::LeftButton);
    QCOMPARE(control<QLineEdit>(*m_window, u"编辑框_邮箱")->isEnabled(), true);
    control<QCheckBox>(*m_window, u"选择框_邮箱")->setChecked(reply);
    control<QLineEdit>(*m_window, u"编辑框_邮箱")->setText(address);
    control<QLineEdit>(*m_window, u"编辑框_验证码")->setText(code);
    QTest::mouseClick(control<QPushButton>(*m_window, u"按钮1"), Qt::LeftButton);
    QCOMPARE(message_box::take_recorded(), QStringList{message});
    QCOMPARE(m_window->focusWidget()->objectName(), focus);
    QVERIFY(m_service->store.list().isEmpty());
}

void TestFeedbackWindow::submit_withContentAndCode_storesAnonymousAndNone()
{
    open_over_service();
    m_window->load_verification_image();
    fill(u"  声音很好　", u" ab12 ");
    message_box::answer_ahead(true);
    m_window->submit();
    QCOMPARE(message_box::take_recorded(),
             (QStringList{QStringLiteral("请确认以下反馈信息：\r\n\r\n昵称：匿名\r\n类型：建议\r\n内容：声音很好\r\n"
                                         "邮箱/QQ：无\r\n\r\n确定要反馈吗？"),
                          QStringLiteral("提交成功，感谢反馈！")}));
    const QList<FeedbackRecord> records = m_service->store.list();
    QCOMPARE(records.size(), 1);
    QCOMPARE(records[0].name, QStringLiteral("匿名"));
    QCOMPARE(records[0].mail, QStringLiteral("无"));
    QCOMPARE(records[0].content, QStringLiteral("声音很好"));
    QCOMPARE(records[0].type, 1);
    QCOMPARE(records[0].software, kSoftware);
    // The window stays open with its fields.
    QVERIFY(m_window->isVisible());
    QCOMPARE(control<QLineEdit>(*m_window, u"编辑框_验证码")->text(), QStringLiteral(" ab12 "));
}

void TestFeedbackWindow::submit_bodyOnTheWireIsEncoded()
{
    RawHttpServer raw;
    raw.answer(QStringLiteral("1:建议;2:问题").toUtf8());
    FeedbackWindow window(kSoftware, raw.url());
    window.on_created();
    control<QComboBox>(window, u"组合框_类型")->setCurrentIndex(1);
    control<QLineEdit>(window, u"编辑框_昵称")->setText(QStringLiteral("小 明"));
    control<QPlainTextEdit>(window, u"编辑框_内容")->setPlainText(QStringLiteral("好\n\n1"));
    control<QLineEdit>(window, u"编辑框_验证码")->setText(QStringLiteral("AB12"));
    raw.answer("0");
    message_box::answer_ahead(true);
    window.submit();
    QCOMPARE(message_box::take_recorded().value(1), QStringLiteral("反馈失败，请稍后重试！"));
    QCOMPARE(raw.requests().size(), 2);
    QVERIFY(raw.requests()[1].endsWith(
        "\r\n\r\nname=%E5%B0%8F%20%E6%98%8E&mail=%E6%97%A0&type=2&content=%E5%A5%BD%0D%0A%0D%0A1&verify=AB12&soft=10"));
}

void TestFeedbackWindow::cancelAtConfirmation_sendsNothing()
{
    open_over_service();
    m_window->load_verification_image();
    fill(u"好", u"AB12");
    message_box::answer_ahead(false);
    m_window->submit();
    QCOMPARE(message_box::take_recorded().size(), 1);
    QVERIFY(m_service->store.list().isEmpty());
    // Had anything been sent, the one-use code would be gone now.
    message_box::answer_ahead(true);
    m_window->submit();
    QCOMPARE(message_box::take_recorded().value(1), QStringLiteral("提交成功，感谢反馈！"));
}

void TestFeedbackWindow::boxes_holdNoMoreThanTheServiceStores_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<int>("kept"); // characters of the content that reach the store
    const int limit = feedback::kContentLimit;
    QTest::newRow("beyond the bound") << QString(limit + 100, u'好') << limit;
    QTest::newRow("wide characters count once") << QStringLiteral("😀").repeated(limit) << limit;
    QString lines;
    for (int i = 0; i < 10; ++i)
        lines += QString(199, u'x') + u'\n';
    // 1990 letters and 10 breaks sent as CR LF: 2010, the last letters of the paste go.
    QTest::newRow("line breaks count twice") << lines << limit;
}

void TestFeedbackWindow::boxes_holdNoMoreThanTheServiceStores()
{
    QFETCH(QString, content);
    QFETCH(int, kept);
    open_over_service();
    m_window->load_verification_image();
    QPlainTextEdit *box = control<QPlainTextEdit>(*m_window, u"编辑框_内容");
    box->setPlainText(QStringLiteral("前"));
    box->moveCursor(QTextCursor::End);
    box->insertPlainText(content);
    box->moveCursor(QTextCursor::Start);
    box->insertPlainText(QStringLiteral("多"));
    QVERIFY(box->toPlainText().startsWith(QStringLiteral("前")));
    control<QLineEdit>(*m_window, u"编辑框_昵称")->setText(QString(feedback::kNameLimit + 1, u'名'));
    control<QCheckBox>(*m_window, u"选择框_邮箱")->setChecked(true);
    m_window->on_reply_box_clicked();
    control<QLineEdit>(*m_window, u"编辑框_邮箱")->setText(QString(feedback::kMailLimit + 1, u'a'));
    control<QLineEdit>(*m_window, u"编辑框_验证码")->setText(QStringLiteral("AB12"));
    message_box::answer_ahead(true);
    m_window->submit();
    const QStringList told = message_box::take_recorded();
    QVERIFY2(told.value(1) == QStringLiteral("提交成功，感谢反馈！"), qPrintable(told.join(u'|').right(300)));
    const QList<FeedbackRecord> records = m_service->store.list();
    QCOMPARE(records.size(), 1);
    QCOMPARE(feedback::sent_length(QString(records[0].content).remove(u'\r')), kept);
    QCOMPARE(records[0].name.size(), feedback::kNameLimit);
    QCOMPARE(records[0].mail.size(), feedback::kMailLimit);
}

void TestFeedbackWindow::wrongCode_bringsNewImageAndEmptiesCodeBox()
{
    open_over_service();
    m_window->load_verification_image();
    fill(u"好", u"ZZZZ");
    message_box::answer_ahead(true);
    m_window->submit();
    QCOMPARE(message_box::take_recorded().value(1), QStringLiteral("验证码错误，请重新输入！"));
    QCOMPARE(*m_images, 2);
    const QLineEdit *code = control<QLineEdit>(*m_window, u"编辑框_验证码");
    QVERIFY(code->text().isEmpty());
    QCOMPARE(m_window->focusWidget(), code);
    QVERIFY(m_service->store.list().isEmpty());
}

QTEST_MAIN(TestFeedbackWindow)
#include "test_feedback_window.moc"
