// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>

class QPlainTextEdit;

// The text box holds its text as GBK bytes with CR LF line breaks; the widget itself keeps
// Unicode with bare line feeds. These two functions are the only crossing between them.
QByteArray text_box_bytes(const QPlainTextEdit *box);
void set_text_box_bytes(QPlainTextEdit *box, QByteArrayView bytes);
