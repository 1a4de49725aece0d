// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/text/text_box.h"

#include "platform/gbk.h"

#include <QPlainTextEdit>

QByteArray text_box_bytes(const QPlainTextEdit *box)
{
    QString text = box->toPlainText();
    text.replace(u'\n', QStringLiteral("\r\n"));
    return gbk::encode(text);
}

void set_text_box_bytes(QPlainTextEdit *box, QByteArrayView bytes)
{
    QString text = gbk::decode(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box->setPlainText(text);
}
