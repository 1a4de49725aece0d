// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

// The texts of the feedback window that do not need a widget: the type list as the service
// sends it, the confirmation, the form body and the meaning of the service's answer. Every
// text here is a GBK byte string; the service speaks UTF-8 and the conversions happen here.
namespace feedback {

struct FeedbackType {
    int number = 0;
    QByteArray name; // GBK
};

// "number:name;number:name..." in UTF-8. Entries without ':' are skipped; the number is the
// leading numeric part of its text after blanks (space, tab, CR, LF), the name runs to the
// next ':' or the entry's end. A
// reply that looks like a web page (an error page of a broken service) gives no entry, even
// when it happens to hold ';' and ':'.
QList<FeedbackType> parse_type_list(QByteArrayView utf8_reply);

// Typed text with every line break (LF, CR or CR LF) as CR LF, the program's own line break.
QString with_crlf(QStringView typed);

// The characters the service counts for a typed text once it is sent: each line break goes
// as CR LF and so counts twice.
qsizetype sent_length(QStringView typed);

// Half-width and full-width spaces removed from both ends.
QByteArray trim_spaces(QByteArrayView gbk_text);

// The UTF-8 form of the text with every byte other than '-', '.', a digit or an ASCII letter
// written as '%' and two upper-case hex digits.
QByteArray url_encode(QByteArrayView gbk_text);

// What the window sends, every text already trimmed and defaulted (GBK).
struct Submission {
    QByteArray nickname;
    QByteArray address;
    int type_number = 0;
    QByteArray content;
    QByteArray code;
    qint32 software_number = 0;
};

QByteArray anonymous_nickname();
QByteArray no_address();

// "name=...&mail=...&type=...&content=...&verify=...&soft=...". The code is encoded like the
// texts: a well-formed code is letters and digits and passes unchanged, while a typed '&' or
// '=' cannot add or replace a field of the form.
QByteArray submission_body(const Submission &submission);

// The text the user confirms before sending (GBK, CR LF line breaks).
QByteArray confirmation_text(const Submission &submission, QByteArrayView type_name);

enum class SubmitReply { Accepted, WrongCode, Failed, Unanswered };
SubmitReply classify_reply(QByteArrayView reply);

} // namespace feedback
