#include "platform/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>

namespace message_box {
namespace {

bool g_record_only = false;
QStringList g_recorded;

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

void fatal_missing_export(const QString &library, const QString &function)
{
    const QString detail = QStringLiteral("无法找到指定DLL库文件“%1”中的输出命令“%2”").arg(library, function);
    const QString text = QStringLiteral("错误信息：") + u'\n' + detail;
    std::fprintf(stderr, "运行时出错!\n%s\n", text.toUtf8().constData());
    std::fflush(stderr);
    if (!g_record_only && can_show()) {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("运行时出错!"), text, QMessageBox::Ok);
        box.exec();
    }
    std::exit(-1);
}

void record_only(bool on)
{
    g_record_only = on;
}

QStringList take_recorded()
{
    QStringList out;
    out.swap(g_recorded);
    return out;
}

} // namespace message_box
