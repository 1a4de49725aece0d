// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/text/text_panel.h"

#include "app/dialogs/file_dialog.h"
#include "app/dialogs/message_box.h"
#include "app/dialogs/system_error.h"
#include "app/text/text_box.h"
#include "platform/gbk.h"
#include "text/text_file.h"
#include "text/text_limit.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <cerrno>

namespace {

// The widget text that the first limit bytes of bytes stand for. A CR LF is one line break
// in the widget, so a cut between CR and LF drops the CR too.
QString prefix_within_limit(const QByteArray &bytes, qsizetype limit)
{
    QByteArray kept = gbk::cut(bytes, limit);
    if (kept.endsWith('\r') && bytes.size() > kept.size() && bytes.at(kept.size()) == '\n')
        kept.chop(1);
    QString text = gbk::decode(kept);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

} // namespace

TextPanel::TextPanel(const TextArea &area)
    : m_area(area)
{
}

void TextPanel::update_count()
{
    QPlainTextEdit *box = m_area.text;
    QByteArray bytes = text_box_bytes(box);
    if (bytes.size() > kTextLimit) {
        const QString kept = prefix_within_limit(bytes, kTextLimit);
        const QString whole = box->toPlainText();
        if (whole.startsWith(kept)) {
            // Removing the tail in place keeps the caret where the user is typing; the
            // removal raises the content-changed event once more, which finds the text short
            // enough and only refreshes the label. The undo history goes with it: undoing the
            // cut would bring back a text over the limit, to be cut again at once, with the
            // caret put back past the end.
            QTextCursor tail(box->document());
            tail.setPosition(static_cast<int>(kept.size()));
            tail.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
            tail.removeSelectedText();
            box->document()->clearUndoRedoStacks();
        } else {
            box->setPlainText(kept);
        }
        bytes = text_box_bytes(box);
    }
    m_area.count_label->setText(QStringLiteral("字符数：%1/%2").arg(bytes.size()).arg(kTextLimit));
}

void TextPanel::paste()
{
    const QClipboard *clipboard = QGuiApplication::clipboard();
    m_area.text->setPlainText(clipboard != nullptr ? clipboard->text() : QString());
}

void TextPanel::clear()
{
    m_area.text->setPlainText(QString());
}

void TextPanel::import_txt()
{
    FileDialog *dialog = m_area.dialog;
    dialog->configure(FileDialog::Mode::Open, QString(), QStringLiteral("文本文档(*.txt)|*.txt"));
    const std::optional<QString> path = dialog->exec();
    if (path)
        import_file(*path);
}

void TextPanel::import_file(const QString &path)
{
    errno = 0;
    const std::optional<QByteArray> bytes = read_text_file(path, kTextLimit);
    if (!bytes) {
        // The user's text stays: a file we cannot read must not wipe it.
        const int error = errno;
        const QString why = error == 0 ? QStringLiteral("不是普通文件") : system_error_text(error);
        message_box::information(file_failure_message(QStringLiteral("无法读取文件"), path, why));
        return;
    }
    set_text_box_bytes(m_area.text, *bytes);
}
