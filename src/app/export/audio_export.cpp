// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/export/audio_export.h"

#include "app/dialogs/file_dialog.h"
#include "app/dialogs/message_box.h"
#include "app/dialogs/system_error.h"
#include "platform/file_replace.h"

#include <QDir>
#include <cerrno>

void AudioExport::save_voice(const QByteArray &audio_buffer, FileDialog &dialog)
{
    if (audio_buffer.isEmpty()) {
        message_box::information(QStringLiteral("请先合成语音再进行导出！"));
        return;
    }
    dialog.configure(FileDialog::Mode::Save, QStringLiteral("合成语音.wav"), QStringLiteral("文本文档(*.wav)|*.wav"));
    const std::optional<QString> path = dialog.exec();
    if (!path)
        return;
    errno = 0;
    if (replace_file(*path, audio_buffer))
        message_box::information(QStringLiteral("导出成功:") + QDir::toNativeSeparators(*path));
    else
        message_box::information(file_failure_message(QStringLiteral("导出失败"), *path, system_error_text(errno)));
}
