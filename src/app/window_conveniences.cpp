// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window_conveniences.h"

#include "app/controls.h"
#include "app/text/file_drop.h"
#include "app/text/text_panel.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>

namespace window_conveniences {
namespace {

void on_keys(QWidget *window, const QKeySequence &keys, std::function<void()> action)
{
    auto *shortcut = new QShortcut(keys, window);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window, std::move(action));
}

// A click, not the handler itself: a disabled button (the start button during a run) stays
// disabled for its shortcut too.
void clicks(QWidget *window, const QKeySequence &keys, QPushButton *button)
{
    on_keys(window, keys, [button] { button->click(); });
}

struct Hint {
    const char16_t *control; // objectName
    const char16_t *text;
};

constexpr Hint kHints[] = {
    {u"按钮4", u"清空文本框"},
    {u"按钮3", u"用剪贴板中的文本替换文本框的内容"},
    {u"按钮1", u"从文本文件导入（Ctrl+O）；也可把文件拖到文本框上"},
    {u"按钮2", u"停止播放（Esc）"},
    {u"按钮_恢复默认", u"把各项设置恢复为默认值"},
    {u"按钮_开始合成", u"合成并播放文本框中的文本（Ctrl+Enter）"},
    {u"按钮_保存语音", u"把合成的语音保存为文件（Ctrl+S）"},
    {u"组合框_引擎类型", u"发音人所属的引擎类型"},
    {u"组合框_发音人", u"朗读文本的声音"},
    {u"组合框_语速", u"朗读的快慢"},
    {u"组合框_音量", u"朗读的音量"},
    {u"组合框_背景音", u"是否在语音下衬上背景音乐"},
    {u"组合框_数字发音", u"数字按数值读，还是逐位读"},
    {u"组合框_文本编码", u"交给引擎的文本所用的编码"},
    {u"组合框_文本类型", u"普通文本，或带标记的SSML文本"},
    {u"组合框_音频格式", u"合成语音的采样率"},
    {u"组合框_音频编码", u"引擎传送语音时所用的编码"},
    {u"组合框_压缩等级", u"所选音频编码的压缩等级"},
};

QString caption_name(const QLabel *caption)
{
    QString name = caption->text();
    if (name.endsWith(u'：'))
        name.chop(1);
    return name;
}

} // namespace

void add_shortcuts(const Controls &c, std::function<void()> open_feedback)
{
    clicks(c.window, QKeySequence(Qt::CTRL | Qt::Key_Return), c.start);
    clicks(c.window, QKeySequence(Qt::CTRL | Qt::Key_Enter), c.start);
    clicks(c.window, QKeySequence(Qt::Key_Escape), c.stop);
    clicks(c.window, QKeySequence(Qt::CTRL | Qt::Key_S), c.save);
    clicks(c.window, QKeySequence(Qt::CTRL | Qt::Key_O), c.import_txt);
    on_keys(c.window, QKeySequence(QString::fromLatin1(kFeedbackShortcut)), std::move(open_feedback));
}

void add_names_and_hints(const Controls &c)
{
    // The caption of a list is the label made just before it in the same group.
    for (const QGroupBox *group : c.window->findChildren<QGroupBox *>()) {
        QLabel *caption = nullptr;
        for (QObject *child : group->children()) {
            if (auto *label = qobject_cast<QLabel *>(child)) {
                caption = label;
            } else if (auto *list = qobject_cast<QComboBox *>(child); list != nullptr && caption != nullptr) {
                caption->setBuddy(list);
                list->setAccessibleName(caption_name(caption));
                caption = nullptr;
            }
        }
    }
    c.text->setAccessibleName(c.group_text->title());
    for (const Hint &hint : kHints) {
        if (auto *control = c.window->findChild<QWidget *>(QString::fromUtf16(hint.control)))
            control->setToolTip(QString::fromUtf16(hint.text));
    }
    c.status_bar->setToolTip(
        QStringLiteral("点击左侧打开在线反馈（%1），点击右侧访问软件官网").arg(QString::fromLatin1(kFeedbackShortcut)));
}

void accept_dropped_files(const Controls &c, TextPanel &text_panel)
{
    new FileDrop(c.text->viewport(), [&text_panel](const QString &path) { text_panel.import_file(path); });
}

} // namespace window_conveniences
