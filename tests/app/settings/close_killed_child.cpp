// SPDX-License-Identifier: GPL-3.0-or-later
// A program that closes its window over the settings file given as its argument and is killed
// the moment that file is first replaced: what the file then holds is what a crash while
// closing leaves behind. Before closing it prints every key it is about to save as
// "key=value" lines (GBK), so its parent knows the complete new settings.

#include "app/text/text_box.h"
#include "platform/gbk.h"
#include "settings/line_breaks.h"
#include "window_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <csignal>
#include <cstdio>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

ino_t inode_of(const QByteArray &path)
{
    struct stat info {};
    return ::stat(path.constData(), &info) == 0 ? info.st_ino : 0;
}

void print_key(const QObject *control, const QByteArray &value)
{
    std::printf("%s=%s\n", gbk::encode(control->objectName()).constData(), value.constData());
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 2)
        return 2;
    WindowFixture f(QString::fromLocal8Bit(argv[1]));
    f.window->on_created();

    for (QComboBox *combo : f.window->findChildren<QComboBox *>()) {
        combo->setCurrentIndex(combo->count() - 1);
        print_key(combo, QByteArray::number(combo->currentIndex()));
    }
    for (QPlainTextEdit *box : f.window->findChildren<QPlainTextEdit *>()) {
        box->setPlainText(QStringLiteral("新的第一行\n新的第二行"));
        print_key(box, line_breaks::encode(text_box_bytes(box)));
    }
    std::fflush(stdout);

    const QByteArray path = QFile::encodeName(f.config_path);
    const ino_t before = inode_of(path);
    std::thread watcher([path, before] {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 10000) {
            if (inode_of(path) != before)
                ::kill(::getpid(), SIGKILL);
        }
    });
    f.window->on_close_query();
    watcher.join();
    return 1; // never replaced
}
