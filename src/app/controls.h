#pragma once

// The main window's controls. Their objectNames are the designed control names: other
// modules address them through this struct, and the settings file uses the names as keys.

class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QWidget;
class FileDialog;

struct Controls {
    QWidget *window = nullptr;

    QGroupBox *group_text = nullptr;   // 分组框4
    QPlainTextEdit *text = nullptr;    // 编辑框_合成文本
    QLabel *count_label = nullptr;     // 标签_字符
    QPushButton *clear = nullptr;      // 按钮4
    QPushButton *paste = nullptr;      // 按钮3
    QPushButton *import_txt = nullptr; // 按钮1
    QPushButton *stop = nullptr;       // 按钮2

    QComboBox *engine_type = nullptr;    // 组合框_引擎类型
    QComboBox *voice = nullptr;          // 组合框_发音人
    QComboBox *speed = nullptr;          // 组合框_语速
    QComboBox *volume = nullptr;         // 组合框_音量
    QComboBox *background = nullptr;     // 组合框_背景音
    QComboBox *numbers = nullptr;        // 组合框_数字发音
    QComboBox *text_encoding = nullptr;  // 组合框_文本编码
    QComboBox *text_type = nullptr;      // 组合框_文本类型
    QComboBox *audio_format = nullptr;   // 组合框_音频格式
    QComboBox *audio_encoding = nullptr; // 组合框_音频编码
    QComboBox *compression = nullptr;    // 组合框_压缩等级

    QPushButton *defaults = nullptr; // 按钮_恢复默认
    QPushButton *start = nullptr;    // 按钮_开始合成
    QPushButton *save = nullptr;     // 按钮_保存语音

    QStatusBar *status_bar = nullptr; // 状态条1
    QLabel *status_panel = nullptr;   // panel 1: the status panel
    QLabel *address_panel = nullptr;  // panel 3: the web address
    FileDialog *dialog = nullptr;     // 导出
};
