// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window's controls. Their objectNames are the designed control names, which the
// settings file uses as keys. Each window part is handed only its own group of them.

#include "app/options/option_boxes.h"
#include "app/text/text_area.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QWidget;
class FileDialog;

struct Controls : TextArea, OptionBoxes {
    QWidget *window = nullptr;

    QGroupBox *group_text = nullptr;   // 分组框4
    QPushButton *clear = nullptr;      // 按钮4
    QPushButton *paste = nullptr;      // 按钮3
    QPushButton *import_txt = nullptr; // 按钮1
    QPushButton *stop = nullptr;       // 按钮2

    QPushButton *defaults = nullptr; // 按钮_恢复默认
    QPushButton *start = nullptr;    // 按钮_开始合成
    QPushButton *save = nullptr;     // 按钮_保存语音

    QStatusBar *status_bar = nullptr; // 状态条1
    QLabel *status_panel = nullptr;   // panel 1: the status panel
    QLabel *address_panel = nullptr;  // panel 3: the web address
};
