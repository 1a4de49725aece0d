// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/message_box.h"

#include <QApplication>
#include <QMessageBox>

namespace message_box {
namespace {

bool g_record_only = false;
QStringList g_recorded;
QList<bool> g_answers;

// Nobody can answer a modal box on the offscreen platform, so there it is written out only.
bool can_show()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr
           && QGuiApplication::platformName() != QStringLiteral("offscreen");
}

} // namespace

void information(const QString &text)
{
    if (g_record_only || !can_show()) {
        g_recorded.append(text);
        return;
    }
    QMessageBox box(QMessageBox::Information, QStringLiteral("信息："), text, QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void fatal(const QString &caption, const QString &text)
{
    if (g_record_only || !can_show()) {
        g_recorded.append(text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok);
    box.exec();
}

bool confirm(const QString &text)
{
    if (g_record_only || !can_show()) {
        g_recorded.append(text);
        return !g_answers.isEmpty() && g_answers.takeFirst();
    }
    QMessageBox box(QMessageBox::Information, QStringLiteral("信息："), text, QMessageBox::Ok | QMessageBox::Cancel);
    box.setWindowModality(Qt::ApplicationModal);
    return box.exec() == QMessageBox::Ok;
}

void answer_ahead(bool ok)
{
    g_answers.append(ok);
}

void record_only(bool on)
{
    g_record_only = on;
    g_answers.clear();
}

QStringList take_recorded()
{
    QStringList out;
    out.swap(g_recorded);
    return out;
}

} // namespace message_box
