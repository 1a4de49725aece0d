// SPDX-License-Identifier: GPL-3.0-or-later
#include "listing.h"

namespace listing {
namespace {

bool needs_escape(QChar c)
{
    return c.category() == QChar::Other_Control || c.category() == QChar::Other_Format || c == QChar::LineSeparator
           || c == QChar::ParagraphSeparator;
}

QString hex_escape(char16_t unit)
{
    const bool small = unit < 0x100;
    const QString digits = QString::number(unit, 16).toUpper().rightJustified(small ? 2 : 4, u'0');
    return (small ? QStringLiteral("\\x") : QStringLiteral("\\u")) + digits;
}

} // namespace

QString escaped(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            continue;
        if (c == u'\n' || c == u'\t')
            shown += c;
        else if (c == u'\\')
            shown += QStringLiteral("\\\\");
        else if (!needs_escape(c))
            shown += c;
        else
            shown += hex_escape(c.unicode());
    }
    return shown;
}

QString record_text(const FeedbackRecord &r)
{
    return QStringLiteral("#%1 %2 from %3, software %4, type %5\n昵称：%6\n邮箱/QQ：%7\n内容：%8\n\n")
        .arg(r.id)
        .arg(escaped(r.received), escaped(r.client))
        .arg(r.software)
        .arg(r.type)
        .arg(escaped(r.name), escaped(r.mail), escaped(r.content));
}

} // namespace listing
