// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings/settings_store.h"

#include "app/dialogs/file_dialog.h"
#include "app/options/list_selection.h"
#include "app/text/text_box.h"
#include "app/text/text_panel.h"
#include "platform/gbk.h"
#include "settings/line_breaks.h"
#include "settings/profile_file.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

namespace {

// The section names are part of the file format; the keys are the controls' names.
QByteArray combo_section()
{
    return gbk::encode(QStringLiteral("组合框"));
}

QByteArray edit_section()
{
    return gbk::encode(QStringLiteral("编辑框"));
}

QByteArray dialog_section()
{
    return gbk::encode(QStringLiteral("文件对话框"));
}

QByteArray folder_key()
{
    return gbk::encode(QStringLiteral("上次目录"));
}

QByteArray key_of(const QObject *control)
{
    return gbk::encode(control->objectName());
}

// The leading number of a stored index: an optional sign and digits, 0 without digits. A
// number too large for an int only ever means "past the end" (or "before the start").
int leading_number(QByteArrayView value)
{
    qsizetype i = 0;
    const bool negative = i < value.size() && value[i] == '-';
    if (i < value.size() && (value[i] == '-' || value[i] == '+'))
        ++i;
    long long number = 0;
    constexpr long long kLimit = std::numeric_limits<int>::max();
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
        number = std::min(number * 10 + (value[i] - '0'), kLimit);
    return static_cast<int>(negative ? -number : number);
}

} // namespace

SettingsStore::SettingsStore(QWidget *window, TextPanel &text_panel, QString config_path, FileDialog *dialog)
    : m_window(window)
    , m_text_panel(text_panel)
    , m_config_path(std::move(config_path))
    , m_dialog(dialog)
{
}

void SettingsStore::load()
{
    load_window(m_window, m_config_path, m_dialog);
    m_text_panel.update_count();
}

void SettingsStore::save()
{
    save_window(m_window, m_config_path, m_dialog);
}

void SettingsStore::load_window(QWidget *window, const QString &path, FileDialog *dialog)
{
    const ProfileText profile = read_profile(path);
    load_combo_boxes(window, profile);
    load_edit_boxes(window, profile);
    if (dialog)
        load_dialog_folder(*dialog, profile);
}

void SettingsStore::save_window(QWidget *window, const QString &path, const FileDialog *dialog)
{
    std::optional<ProfileText> profile = read_profile_for_update(path);
    if (!profile)
        return;
    save_edit_boxes(window, *profile);
    save_combo_boxes(window, *profile);
    if (dialog)
        save_dialog_folder(*dialog, *profile);
    write_profile(*profile, path);
}

void SettingsStore::load_dialog_folder(FileDialog &dialog, const ProfileText &profile)
{
    const QByteArray value = profile.read(dialog_section(), folder_key(), {});
    if (!value.isEmpty())
        dialog.set_folder(gbk::decode(value));
}

void SettingsStore::save_dialog_folder(const FileDialog &dialog, ProfileText &profile)
{
    const QString folder = dialog.folder();
    const QByteArray bytes = gbk::encode(folder);
    if (folder.isEmpty() || gbk::decode(bytes) != folder)
        return;
    // Quoted, so that blanks at either end of a folder's name survive the reading rules.
    profile.write(dialog_section(), folder_key(), '"' + bytes + '"');
}

void SettingsStore::load_combo_boxes(QWidget *window, const ProfileText &profile)
{
    const QByteArray section = combo_section();
    for (QComboBox *combo : window->findChildren<QComboBox *>()) {
        const QByteArray value = profile.read(section, key_of(combo), {});
        if (!value.isEmpty())
            select_by_position(combo, leading_number(value));
    }
}

void SettingsStore::load_edit_boxes(QWidget *window, const ProfileText &profile)
{
    const QByteArray section = edit_section();
    for (QPlainTextEdit *box : window->findChildren<QPlainTextEdit *>()) {
        const QByteArray value = profile.read(section, key_of(box), {});
        if (!value.isEmpty())
            set_text_box_bytes(box, line_breaks::decode(value));
    }
}

void SettingsStore::save_combo_boxes(QWidget *window, ProfileText &profile)
{
    const QByteArray section = combo_section();
    for (const QComboBox *combo : window->findChildren<QComboBox *>())
        profile.write(section, key_of(combo), QByteArray::number(combo->currentIndex()));
}

void SettingsStore::save_edit_boxes(QWidget *window, ProfileText &profile)
{
    const QByteArray section = edit_section();
    for (const QPlainTextEdit *box : window->findChildren<QPlainTextEdit *>())
        profile.write(section, key_of(box), line_breaks::encode(text_box_bytes(box)));
}
