// SPDX-License-Identifier: GPL-3.0-or-later
#include "feedback/feedback_form.h"

#include "feedback/feedback_wire.h"
#include "platform/gbk.h"

#include <algorithm>
#include <limits>

namespace feedback {
namespace {

bool is_space_at(QByteArrayView text, qsizetype pos, qsizetype len)
{
    if (len == 1)
        return text[pos] == ' ';
    return len == 2 && static_cast<unsigned char>(text[pos]) == 0xA1
           && static_cast<unsigned char>(text[pos + 1]) == 0xA1;
}

bool kept_unencoded(char c)
{
    return c == '-' || c == '.' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The leading numeric part after any blanks (a list written one entry per line puts a line
// break before the number), held within int.
int leading_number(QByteArrayView text)
{
    qsizetype i = 0;
    while (i < text.size() && is_blank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    qint64 value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = qMin<qint64>(value * 10 + (text[i] - '0'), qint64(std::numeric_limits<int>::max()) + 1);
    value = negative ? -value : value;
    return static_cast<int>(
        std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

QByteArray gbk_of(const char16_t *text)
{
    return gbk::encode(QString::fromUtf16(text));
}

} // namespace

QList<FeedbackType> parse_type_list(QByteArrayView utf8_reply)
{
    QList<FeedbackType> types;
    // Upper-case tags come from the same error pages as lower-case ones.
    if (utf8_reply.toByteArray().toLower().contains("<html>"))
        return types;
    // ';' and ':' never occur inside a GBK character, so the GBK text splits byte-wise.
    const QByteArray reply = gbk::encode(QString::fromUtf8(utf8_reply));
    for (const QByteArray &piece : reply.split(';')) {
        const qsizetype colon = piece.indexOf(':');
        if (colon < 0)
            continue;
        QByteArray name = piece.mid(colon + 1);
        const qsizetype next = name.indexOf(':');
        if (next >= 0)
            name.truncate(next);
        types.append({leading_number(QByteArrayView(piece).first(colon)), name});
    }
    return types;
}

QString with_crlf(QStringView typed)
{
    QString text;
    text.reserve(typed.size() + typed.size() / 8);
    for (qsizetype i = 0; i < typed.size(); ++i) {
        if (typed[i] == u'\r' && i + 1 < typed.size() && typed[i + 1] == u'\n')
            continue;
        if (typed[i] == u'\r' || typed[i] == u'\n')
            text += QStringLiteral("\r\n");
        else
            text += typed[i];
    }
    return text;
}

qsizetype sent_length(QStringView typed)
{
    return character_count(with_crlf(typed));
}

QByteArray trim_spaces(QByteArrayView gbk_text)
{
    qsizetype begin = -1;
    qsizetype end = 0;
    for (qsizetype i = 0; i < gbk_text.size();) {
        const qsizetype len = gbk::char_length(gbk_text, i);
        if (!is_space_at(gbk_text, i, len)) {
            if (begin < 0)
                begin = i;
            end = i + len;
        }
        i += len;
    }
    return begin < 0 ? QByteArray() : gbk_text.sliced(begin, end - begin).toByteArray();
}

QByteArray url_encode(QByteArrayView gbk_text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    const QByteArray utf8 = gbk::decode(gbk_text).toUtf8();
    QByteArray out;
    out.reserve(utf8.size() * 3);
    for (const char c : utf8) {
        if (kept_unencoded(c)) {
            out.append(c);
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        out.append('%');
        out.append(kHex[byte >> 4]);
        out.append(kHex[byte & 0x0F]);
    }
    return out;
}

QByteArray anonymous_nickname()
{
    return gbk_of(u"匿名");
}

QByteArray no_address()
{
    return gbk_of(u"无");
}

QByteArray submission_body(const Submission &s)
{
    const auto field = [](const char *name, const QByteArray &value) { return name + ('=' + value); };
    return field(kNameField, url_encode(s.nickname)) + '&' + field(kMailField, url_encode(s.address)) + '&'
           + field(kTypeField, QByteArray::number(s.type_number)) + '&' + field(kContentField, url_encode(s.content))
           + '&' + field(kCodeField, url_encode(s.code)) + '&'
           + field(kSoftwareField, QByteArray::number(s.software_number));
}

QByteArray confirmation_text(const Submission &s, QByteArrayView type_name)
{
    QByteArray text = gbk_of(u"请确认以下反馈信息：\r\n\r\n昵称：%昵称%\r\n类型：%类型%\r\n内容：%内容%\r\n"
                             u"邮箱/QQ：%邮箱%\r\n\r\n确定要反馈吗？");
    // Each placeholder is replaced once, in the order they appear, so a user's text that
    // itself holds a placeholder stays as typed.
    const std::pair<const char16_t *, QByteArrayView> fields[] = {
        {u"%昵称%", s.nickname}, {u"%类型%", type_name}, {u"%内容%", s.content}, {u"%邮箱%", s.address}};
    qsizetype from = 0;
    for (const auto &[placeholder, value] : fields) {
        const QByteArray mark = gbk_of(placeholder);
        const qsizetype at = gbk::find(text, mark, from);
        if (at < 0)
            continue;
        text.replace(at, mark.size(), value.toByteArray());
        from = at + value.size();
    }
    return text;
}

SubmitReply classify_reply(QByteArrayView reply)
{
    if (reply == kStored)
        return SubmitReply::Accepted;
    if (reply == kWrongCode)
        return SubmitReply::WrongCode;
    if (reply == kNotStored)
        return SubmitReply::Failed;
    return SubmitReply::Unanswered;
}

} // namespace feedback
