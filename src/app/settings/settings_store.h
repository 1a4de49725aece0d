// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class FileDialog;
class ProfileText;
class QWidget;
class TextPanel;

// Keeps the selection of every combo box and the text of every edit box of the main window in
// the settings file, keyed by control name. Read once at start-up, written once at close;
// failures are silent and leave the controls (or the file) as they were.
class SettingsStore final {
public:
    // dialog, when given, has the folder it last chose from kept too.
    SettingsStore(QWidget *window, TextPanel &text_panel, QString config_path, FileDialog *dialog = nullptr);

    // Combo boxes, then edit boxes, then the count refresh (which also enforces the text limit).
    void load();
    // Edit boxes first, so a new file starts with their section.
    void save();

    // The same for any window over any file. The file is read once; saving builds the whole new
    // text in memory and replaces the file once, so a process killed while closing leaves
    // either the old settings or the new ones, never a mix.
    static void load_window(QWidget *window, const QString &path, FileDialog *dialog = nullptr);
    static void save_window(QWidget *window, const QString &path, const FileDialog *dialog = nullptr);

    // Each visits every control of its type that window holds, in the window's control order.
    static void load_combo_boxes(QWidget *window, const ProfileText &profile);
    static void load_edit_boxes(QWidget *window, const ProfileText &profile);
    static void save_combo_boxes(QWidget *window, ProfileText &profile);
    static void save_edit_boxes(QWidget *window, ProfileText &profile);
    // The dialog's last folder; a folder GBK cannot spell is not kept.
    static void load_dialog_folder(FileDialog &dialog, const ProfileText &profile);
    static void save_dialog_folder(const FileDialog &dialog, ProfileText &profile);

private:
    QWidget *m_window;
    TextPanel &m_text_panel;
    QString m_config_path;
    FileDialog *m_dialog;
};
