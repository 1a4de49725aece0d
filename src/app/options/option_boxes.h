// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The option lists of the main window: what the option parts and the run read and fill.

class QComboBox;

struct OptionBoxes {
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
};
