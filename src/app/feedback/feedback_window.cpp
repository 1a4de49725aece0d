// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/feedback/feedback_window.h"

#include "app/dialogs/message_box.h"
#include "feedback/feedback_form.h"
#include "feedback/feedback_wire.h"
#include "feedback/service_address.h"
#include "platform/gbk.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

namespace {

// Client area that, with a usual single border and title bar, gives the designed outer size.
constexpr int kClientWidth = FeedbackWindow::kOuterWidth - 6;
constexpr int kClientHeight = FeedbackWindow::kOuterHeight - 29;
constexpr int kFontPixels = 12;

template <typename T> T *place(QWidget *window, const char16_t *name, QRect where, const char16_t *text = nullptr)
{
    auto *widget = new T(window);
    widget->setObjectName(QString::fromUtf16(name));
    widget->setGeometry(where);
    if constexpr (requires { widget->setText(QString()); }) {
        if (text)
            widget->setText(QString::fromUtf16(text));
    }
    return widget;
}

void tell(const char16_t *text)
{
    message_box::information(QString::fromUtf16(text));
}

QByteArray trimmed(const QString &text)
{
    return feedback::trim_spaces(gbk::encode(text));
}

} // namespace

FeedbackWindow::FeedbackWindow(qint32 software_number, QUrl service, std::chrono::milliseconds timeout)
    : QDialog(nullptr)
    , m_software_number(software_number)
    , m_service(std::move(service))
    , m_http(timeout)
{
    setWindowTitle(QStringLiteral("Lumeno软件 - 在线反馈"));
    setWindowModality(Qt::ApplicationModal);
    QFont designed = font();
    designed.setPixelSize(kFontPixels);
    setFont(designed);
    build_controls();
    setFixedSize(kClientWidth, kClientHeight);
}

void FeedbackWindow::build_controls()
{
    place<QLabel>(this, u"标签1", {16, 11, 32, 24}, u"昵称：");
    m_nickname = place<QLineEdit>(this, u"编辑框_昵称", {52, 10, 204, 28});
    place<QLabel>(this, u"标签3", {16, 42, 32, 24}, u"类型：");
    m_type = place<QComboBox>(this, u"组合框_类型", {52, 47, 204, 20});
    place<QLabel>(this, u"标签4", {16, 72, 32, 24}, u"内容：");
    place<QLabel>(this, u"标签5", {52, 73, 16, 24});
    m_content = place<QPlainTextEdit>(this, u"编辑框_内容", {16, 101, 240, 72});
    place<QLabel>(this, u"标签2", {16, 183, 48, 24}, u"邮箱/QQ：");
    m_address = place<QLineEdit>(this, u"编辑框_邮箱", {69, 183, 115, 28});
    m_reply = place<QCheckBox>(this, u"选择框_邮箱", {189, 185, 83, 24}, u"接受反馈");
    m_image = place<QLabel>(this, u"图片框_验证码", {16, 220, 125, 48});
    m_code = place<QLineEdit>(this, u"编辑框_验证码", {149, 226, 107, 36});
    m_submit = place<QPushButton>(this, u"按钮1", {16, 278, 240, 32}, u"在线提交");

    // The boxes hold no more than the service stores, counted as it counts: a box's length is
    // in UTF-16 units, never fewer than the characters.
    m_nickname->setMaxLength(feedback::kNameLimit);
    m_address->setMaxLength(feedback::kMailLimit);
    m_code->setMaxLength(feedback::kCodeLimit);
    m_type->setEditable(false);
    m_content->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_image->setAlignment(Qt::AlignCenter);
    m_image->setFrameShape(QFrame::StyledPanel);
    m_image->setCursor(Qt::PointingHandCursor);
    m_image->installEventFilter(this);
    // A screen reader names the picture and the field by what they are for, not by their
    // (empty) text.
    m_image->setAccessibleName(QStringLiteral("验证码图片，点击显示新的验证码"));
    m_code->setAccessibleName(QStringLiteral("验证码"));
    m_submit->setAutoDefault(false);
    // The reply box starts unticked, so the address box starts disabled.
    m_reply->setChecked(false);
    on_reply_box_clicked();

    connect(m_reply, &QCheckBox::clicked, this, &FeedbackWindow::on_reply_box_clicked);
    connect(m_submit, &QPushButton::clicked, this, &FeedbackWindow::submit);
    connect(m_content->document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int added) { m_change_end = position + added; });
    connect(m_content, &QPlainTextEdit::textChanged, this, &FeedbackWindow::keep_content_within_bound);
}

void FeedbackWindow::keep_content_within_bound()
{
    qsizetype excess = feedback::sent_length(m_content->toPlainText()) - feedback::kContentLimit;
    if (excess <= 0)
        return;
    const QTextDocument *document = m_content->document();
    // The document ends in a block separator of its own that is not part of the text.
    const int end = qBound(0, m_change_end, document->characterCount() - 1);
    int begin = end;
    while (begin > 0 && excess > 0) {
        const QChar c = document->characterAt(--begin);
        // A line break goes as CR LF; the second half of a surrogate pair is no character.
        excess -= c == QChar::ParagraphSeparator || c == QChar::LineSeparator ? 2 : c.isLowSurrogate() ? 0 : 1;
    }
    QTextCursor cursor(m_content->document());
    cursor.setPosition(begin);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

void FeedbackWindow::open(qint32 software_number, const QUrl &service)
{
    FeedbackWindow window(software_number, service);
    // Created, then filled: the type list loads while the modal window already blocks the
    // main window, so a second press on the status bar cannot open a second one.
    QTimer::singleShot(0, &window, &FeedbackWindow::on_created);
    window.exec();
}

bool FeedbackWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_image && event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        load_verification_image();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void FeedbackWindow::on_created()
{
    const QByteArray reply = m_http.get(feedback::endpoint(m_service, feedback::kTypeListPath));
    for (const feedback::FeedbackType &type : feedback::parse_type_list(reply))
        m_type->addItem(gbk::decode(type.name), type.number);
    if (m_type->count() > 0) {
        m_type->setCurrentIndex(0);
        return;
    }
    tell(u"在线反馈程序正在维护，请稍后再试！");
    reject();
}

void FeedbackWindow::on_reply_box_clicked()
{
    m_address->setEnabled(m_reply->isChecked());
}

void FeedbackWindow::load_verification_image()
{
    if (m_http.busy())
        return;
    const QByteArray reply = m_http.get(feedback::endpoint(m_service, feedback::kImagePath), kImageLimit);
    QPixmap image;
    // An unreadable reply leaves the box empty rather than showing a stale or broken picture.
    if (image.loadFromData(reply, "BMP"))
        m_image->setPixmap(image);
    else
        m_image->clear();
    m_code->clear();
    m_code->setFocus();
}

void FeedbackWindow::submit()
{
    if (m_http.busy())
        return;
    feedback::Submission form;
    form.content = trimmed(feedback::with_crlf(m_content->toPlainText()));
    if (form.content.isEmpty()) {
        tell(u"请先填写反馈内容！");
        m_content->setFocus();
        return;
    }
    const QByteArray address = trimmed(m_address->text());
    if (address.isEmpty() && m_reply->isChecked()) {
        tell(u"请先填写邮箱内容，或取消接受反馈！");
        m_address->setFocus();
        return;
    }
    form.code = trimmed(m_code->text());
    if (form.code.isEmpty()) {
        tell(u"请先填写验证码内容，点击左侧显示！");
        m_code->setFocus();
        return;
    }
    form.nickname = trimmed(m_nickname->text());
    if (form.nickname.isEmpty())
        form.nickname = feedback::anonymous_nickname();
    form.address = m_reply->isChecked() ? address : feedback::no_address();
    form.type_number = m_type->currentData().toInt();
    form.software_number = m_software_number;

    const QByteArray question = feedback::confirmation_text(form, gbk::encode(m_type->currentText()));
    if (!message_box::confirm(gbk::decode(question)))
        return;

    const QByteArray reply =
        m_http.post(feedback::endpoint(m_service, feedback::kSubmitPath), feedback::submission_body(form));
    switch (feedback::classify_reply(reply)) {
    case feedback::SubmitReply::Accepted:
        tell(u"提交成功，感谢反馈！");
        break;
    case feedback::SubmitReply::WrongCode:
        tell(u"验证码错误，请重新输入！");
        load_verification_image();
        break;
    case feedback::SubmitReply::Failed:
        tell(u"反馈失败，请稍后重试！");
        break;
    case feedback::SubmitReply::Unanswered:
        break;
    }
}
