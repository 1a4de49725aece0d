// SPDX-License-Identifier: GPL-3.0-or-later
// How long closing takes to save the settings into a large config.ini (other programs' or the
// user's sections making up most of it). Goal: well under a second for 50 MB.
//   settings_close_bench [MEGABYTES] [ROUNDS]
// Prints the median and worst time of SettingsStore::save_window over the window's twelve
// controls, each round changing every value so the file is really rewritten, and the same for
// the twelve keys written with one file replace each.

#include "app/settings/settings_store.h"
#include "platform/gbk.h"
#include "settings/profile_file.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

namespace {

// Other sections first, the store's own sections last: every lookup walks the whole file.
QByteArray large_file(qsizetype megabytes)
{
    QByteArray text;
    text.reserve(megabytes * 1024 * 1024 + 4096);
    for (int section = 0; text.size() < megabytes * 1024 * 1024; ++section) {
        text += "[other " + QByteArray::number(section) + "]\r\n";
        for (int key = 0; key < 100; ++key)
            text += "key" + QByteArray::number(key) + " = some value of a hand-edited file\r\n";
    }
    text += gbk::encode(QStringLiteral("[编辑框]\r\n编辑框_合成文本=旧的文本\r\n[组合框]\r\n"));
    return text;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const qsizetype megabytes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    QWidget window;
    auto *text = new QPlainTextEdit(&window);
    text->setObjectName(QStringLiteral("编辑框_合成文本"));
    std::vector<QComboBox *> combos;
    for (const char16_t *name :
         {u"组合框_压缩等级", u"组合框_数字发音", u"组合框_背景音", u"组合框_音量", u"组合框_语速", u"组合框_引擎类型",
          u"组合框_发音人", u"组合框_音频格式", u"组合框_音频编码", u"组合框_文本编码", u"组合框_文本类型"}) {
        auto *combo = new QComboBox(&window);
        combo->setObjectName(QString::fromUtf16(name));
        combo->addItems({QStringLiteral("a"), QStringLiteral("b")});
        combos.push_back(combo);
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config.ini"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(large_file(megabytes)) < 0)
        return 1;
    file.close();

    // Against the same twelve keys written one replace each, as closing did before.
    const auto key_by_key = [&] {
        write_profile_string(gbk::encode(QStringLiteral("编辑框")), gbk::encode(text->objectName()),
                             gbk::encode(text->toPlainText()), path);
        for (const QComboBox *combo : combos)
            write_profile_string(gbk::encode(QStringLiteral("组合框")), gbk::encode(combo->objectName()),
                                 QByteArray::number(combo->currentIndex()), path);
    };
    const auto once = [&] { SettingsStore::save_window(&window, path); };
    for (const auto &[name, save] :
         {std::pair<const char *, std::function<void()>>{"one replace", once}, {"key by key", key_by_key}}) {
        std::vector<double> ms;
        for (int round = 0; round < rounds; ++round) {
            text->setPlainText(QStringLiteral("第%1次\n关闭").arg(round));
            for (QComboBox *combo : combos)
                combo->setCurrentIndex(round % 2);
            const auto start = std::chrono::steady_clock::now();
            save();
            ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
        std::sort(ms.begin(), ms.end());
        std::printf("%s, config.ini of %lld MB: median %.1f ms, worst %.1f ms over %d rounds\n", name,
                    static_cast<long long>(megabytes), ms[ms.size() / 2], ms.back(), rounds);
    }
    return 0;
}
