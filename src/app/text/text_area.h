// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The widgets the text panel works on.

class FileDialog;
class QLabel;
class QPlainTextEdit;

struct TextArea {
    QPlainTextEdit *text = nullptr; // 编辑框_合成文本
    QLabel *count_label = nullptr;  // 标签_字符
    FileDialog *dialog = nullptr;   // 导出, also the import's file dialog
};
