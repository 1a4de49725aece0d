// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "feedback/http_client.h"

#include <QDialog>
#include <QUrl>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The modal feedback window: loads the feedback types from the service when created, shows a
// verification image on a press of its picture box and submits the user's message. Its four
// handlers run on the user-interface thread; each request keeps the window processing events.
class FeedbackWindow final : public QDialog {
    Q_OBJECT

public:
    static constexpr int kOuterWidth = 279;
    static constexpr int kOuterHeight = 351;
    // The verification image may be a little larger than a text reply.
    static constexpr qint64 kImageLimit = 2 * HttpClient::kReplyLimit;

    // service is the feedback service's base address, given by the opener.
    FeedbackWindow(qint32 software_number, QUrl service,
                   std::chrono::milliseconds timeout = HttpClient::kDefaultTimeout);

    // Shows the window modally, without parent, and returns when it has closed.
    static void open(qint32 software_number, const QUrl &service);

    void on_created();
    void load_verification_image();
    void on_reply_box_clicked();
    void submit();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build_controls();
    // Cuts the tail of what was just typed or pasted until the content fits the service's bound.
    void keep_content_within_bound();

    qint32 m_software_number;
    QUrl m_service;
    HttpClient m_http;

    QLineEdit *m_nickname = nullptr;
    QComboBox *m_type = nullptr;
    QPlainTextEdit *m_content = nullptr;
    QLineEdit *m_address = nullptr;
    QCheckBox *m_reply = nullptr;
    QLabel *m_image = nullptr;
    QLineEdit *m_code = nullptr;
    QPushButton *m_submit = nullptr;
    // Where the last change of the content ended, in document positions.
    int m_change_end = 0;
};
