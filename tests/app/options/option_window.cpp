// SPDX-License-Identifier: GPL-3.0-or-later
#include "option_window.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

namespace {

QComboBox *make_list(QWidget *parent, const char16_t *name)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(QString::fromUtf16(name));
    return list;
}

} // namespace

OptionWindow::OptionWindow()
{
    Controls &c = controls;
    c.window = &window;
    c.engine_type = make_list(&window, u"组合框_引擎类型");
    c.voice = make_list(&window, u"组合框_发音人");
    c.speed = make_list(&window, u"组合框_语速");
    c.volume = make_list(&window, u"组合框_音量");
    c.background = make_list(&window, u"组合框_背景音");
    c.numbers = make_list(&window, u"组合框_数字发音");
    c.text_encoding = make_list(&window, u"组合框_文本编码");
    c.text_type = make_list(&window, u"组合框_文本类型");
    c.audio_format = make_list(&window, u"组合框_音频格式");
    c.audio_encoding = make_list(&window, u"组合框_音频编码");
    c.compression = make_list(&window, u"组合框_压缩等级");
    c.defaults = new QPushButton(QStringLiteral("默认值"), &window);
    c.defaults->setObjectName(QStringLiteral("按钮_恢复默认"));

    QObject::connect(c.engine_type, &QComboBox::activated, &window, [this] { catalogue.fill_voice_list(); });
    QObject::connect(c.audio_encoding, &QComboBox::activated, &window, [this] { lists.fill_compression_levels(); });
    QObject::connect(c.defaults, &QPushButton::clicked, &window, [this] { lists.restore_defaults(); });
}

bool user_pick(QComboBox *list, int position)
{
    // Bounded so that a list that ignores the keys fails the test instead of hanging it.
    for (int steps = list->count(); steps > 0 && list->currentIndex() != position; --steps)
        QTest::keyClick(list, list->currentIndex() < position ? Qt::Key_Down : Qt::Key_Up);
    return list->currentIndex() == position;
}

QStringList items_of(const QComboBox *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items.append(list->itemText(i));
    return items;
}
