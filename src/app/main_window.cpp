// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"

#include "app/dialogs/file_dialog.h"
#include "app/window_modules.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QUrl>
#include <utility>

namespace {

// Client area that, with a usual single border and title bar, gives the designed outer size.
constexpr int kClientWidth = 665;
constexpr int kClientHeight = 453;
constexpr int kStatusHeight = 20;
constexpr int kFontPixels = 12;
// A combo box's opened list is 160 pixels tall including the box.
constexpr int kComboListItems = 8;
// Presses left of this x on the status bar open the feedback window.
constexpr int kFeedbackArea = 270;

template <typename T> T *make(QWidget *parent, const char16_t *name, int x, int y, int w, int h)
{
    auto *widget = new T(parent);
    widget->setObjectName(QString::fromUtf16(name));
    widget->setGeometry(x, y, w, h);
    return widget;
}

QGroupBox *group(QWidget *parent, const char16_t *name, const char16_t *title, QRect r)
{
    auto *box = make<QGroupBox>(parent, name, r.x(), r.y(), r.width(), r.height());
    box->setTitle(QString::fromUtf16(title));
    box->setFocusPolicy(Qt::NoFocus);
    return box;
}

QLabel *label(QWidget *parent, const char16_t *name, const char16_t *text, QRect r)
{
    auto *l = make<QLabel>(parent, name, r.x(), r.y(), r.width(), r.height());
    l->setText(QString::fromUtf16(text));
    l->setFocusPolicy(Qt::NoFocus);
    return l;
}

QPushButton *button(QWidget *parent, const char16_t *name, const char16_t *text, QRect r)
{
    auto *b = make<QPushButton>(parent, name, r.x(), r.y(), r.width(), r.height());
    b->setText(QString::fromUtf16(text));
    b->setFocusPolicy(Qt::StrongFocus);
    b->setAutoDefault(false);
    return b;
}

QComboBox *combo(QWidget *parent, const char16_t *name, QRect r)
{
    auto *c = make<QComboBox>(parent, name, r.x(), r.y(), r.width(), r.height());
    c->setEditable(false);
    c->setMaxVisibleItems(kComboListItems);
    c->setFocusPolicy(Qt::StrongFocus);
    return c;
}

// Status bar panels sit at their designed boundaries, outside the bar's own layout (which
// would add its spacing between them); the last one takes the rest of the bar.
QLabel *panel(QStatusBar *bar, const char16_t *text, int left, int width)
{
    auto *l = new QLabel(QString::fromUtf16(text), bar);
    l->setGeometry(left, 0, width, kStatusHeight);
    l->setFocusPolicy(Qt::NoFocus);
    return l;
}

} // namespace

MainWindow::MainWindow(TtsEngine &engine, QString config_path, QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                              | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , m_engine(engine)
    , m_config_path(std::move(config_path))
{
    setWindowTitle(QStringLiteral("Lumeno语音合成工具V1.0"));
    // The layout is designed for a 12-pixel font (9 points at 96 dpi); larger desktop fonts
    // would not fit the fixed control sizes.
    QFont designed = font();
    designed.setPixelSize(kFontPixels);
    setFont(designed);
    build_controls();
    m_modules = std::make_unique<Modules>(*this, m_controls, m_engine, m_config_path);
    wire_events();
}

MainWindow::~MainWindow() = default;

void MainWindow::build_controls()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    m_controls.window = this;
    build_text_group(client);
    build_option_groups(client);
    Controls &c = m_controls;
    c.defaults = button(client, u"按钮_恢复默认", u"默认值", {400, 391, 64, 32});
    c.start = button(client, u"按钮_开始合成", u"开始合成", {474, 367, 98, 56});
    c.save = button(client, u"按钮_保存语音", u"保存语音", {583, 391, 64, 32});
    build_status_bar();
    c.dialog = new FileDialog(this);
    setFixedSize(kClientWidth, kClientHeight);
}

void MainWindow::build_text_group(QWidget *client)
{
    Controls &c = m_controls;
    c.group_text = group(client, u"分组框4", u"输入文本", {8, 5, 376, 419});
    c.text = make<QPlainTextEdit>(c.group_text, u"编辑框_合成文本", 9, 20, 358, 365);
    c.text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    c.text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    c.text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    c.text->setFrameShadow(QFrame::Sunken);
    c.text->setTabChangesFocus(true);
    c.text->setStyleSheet(QStringLiteral("QPlainTextEdit { color: black; background: white; }"));
    c.text->setPlainText(QStringLiteral("请在这里输入要合成的文本"));
    c.count_label = label(c.group_text, u"标签_字符", u"字符数：", {10, 389, 130, 24});
    c.clear = button(c.group_text, u"按钮4", u"清空", {142, 389, 40, 25});
    c.paste = button(c.group_text, u"按钮3", u"粘贴", {184, 389, 40, 25});
    c.import_txt = button(c.group_text, u"按钮1", u"导入TXT文本", {226, 389, 81, 25});
    c.stop = button(c.group_text, u"按钮2", u"停止播放", {311, 389, 56, 25});
}

void MainWindow::build_option_groups(QWidget *client)
{
    Controls &c = m_controls;
    QGroupBox *voice_group = group(client, u"分组框2", u"①发音人选择", {392, 5, 264, 99});
    label(voice_group, u"标签1", u"引擎类型：", {21, 32, 56, 15});
    c.engine_type = combo(voice_group, u"组合框_引擎类型", {83, 29, 161, 20});
    label(voice_group, u"标签5", u"发音人：", {33, 63, 46, 15});
    c.voice = combo(voice_group, u"组合框_发音人", {83, 60, 161, 20});

    QGroupBox *sound_group = group(client, u"分组框3", u"②声音特征设置", {392, 114, 264, 99});
    label(sound_group, u"标签3", u"语速：", {8, 32, 34, 13});
    c.speed = combo(sound_group, u"组合框_语速", {43, 29, 86, 20});
    label(sound_group, u"标签4", u"音量：", {135, 32, 34, 13});
    c.volume = combo(sound_group, u"组合框_音量", {170, 29, 86, 20});
    label(sound_group, u"标签8", u"背景音：", {8, 66, 40, 13});
    c.background = combo(sound_group, u"组合框_背景音", {55, 63, 49, 20});
    label(sound_group, u"标签12", u"数字发音：", {111, 66, 56, 13});
    c.numbers = combo(sound_group, u"组合框_数字发音", {170, 63, 86, 20});

    QGroupBox *advanced = group(client, u"分组框1", u"③高级设置", {392, 224, 264, 128});
    label(advanced, u"标签7", u"文本编码：", {8, 28, 56, 13});
    c.text_encoding = combo(advanced, u"组合框_文本编码", {67, 25, 61, 20});
    label(advanced, u"标签6", u"文本类型：", {135, 28, 53, 13});
    c.text_type = combo(advanced, u"组合框_文本类型", {194, 25, 61, 20});
    label(advanced, u"标签10", u"音频格式：", {8, 62, 56, 13});
    c.audio_format = combo(advanced, u"组合框_音频格式", {67, 59, 187, 20});
    label(advanced, u"标签9", u"音频编码：", {8, 96, 56, 13});
    c.audio_encoding = combo(advanced, u"组合框_音频编码", {67, 93, 61, 20});
    label(advanced, u"标签2", u"压缩等级：", {135, 96, 56, 13});
    c.compression = combo(advanced, u"组合框_压缩等级", {194, 93, 61, 20});
}

void MainWindow::build_status_bar()
{
    Controls &c = m_controls;
    c.status_bar = new QStatusBar(this);
    c.status_bar->setObjectName(QStringLiteral("状态条1"));
    c.status_bar->setSizeGripEnabled(false);
    c.status_bar->setFixedHeight(kStatusHeight);
    c.status_bar->setFocusPolicy(Qt::NoFocus);
    panel(c.status_bar, u"当前状态：", 0, 70);
    c.status_panel = panel(c.status_bar, u"", 70, 200);
    c.status_panel->setObjectName(QStringLiteral("状态条1_状态"));
    panel(c.status_bar, u"软件官网：", kFeedbackArea, 70);
    c.address_panel = panel(c.status_bar, kWebAddress, 340, kClientWidth - 340);
    c.status_bar->installEventFilter(this);
    setStatusBar(c.status_bar);
}

void MainWindow::show_status(const QString &text)
{
    m_controls.status_panel->setText(text);
    emit status_shown(text);
}

QPoint MainWindow::centred_position(const QSize &screen)
{
    return {(screen.width() - kOuterWidth) / 2, (screen.height() - kOuterHeight) / 2};
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    on_close_query();
    event->accept();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_controls.status_bar && event->type() == QEvent::MouseButtonPress) {
        auto *press = static_cast<QMouseEvent *>(event);
        if (press->button() == Qt::LeftButton) {
            const QPoint at = press->position().toPoint();
            on_status_bar_pressed(at.x(), at.y(), press->modifiers());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::on_status_bar_pressed(int x, int /*y*/, Qt::KeyboardModifiers /*keys*/)
{
    if (x < kFeedbackArea) {
        open_feedback();
        return;
    }
    QDesktopServices::openUrl(QUrl(QStringLiteral("https://") + QString::fromUtf16(kWebAddress)));
}

void MainWindow::open_feedback()
{
    if (m_open_feedback)
        m_open_feedback();
}
