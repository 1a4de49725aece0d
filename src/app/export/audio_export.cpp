// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/export/audio_export.h"

#include "app/dialogs/file_dialog.h"
#include "app/dialogs/message_box.h"
#include "app/dialogs/system_error.h"
#include "audio/encoded_stream.h"
#include "audio/wav_file.h"
#include "platform/file_replace.h"

#include <QDir>
#include <cerrno>

namespace {

// The WAV filter first: it is the default, and the dialog adds its suffix to a bare name.
const QString kFilters = QStringLiteral("文本文档(*.wav)|*.wav|MP3 音频(*.mp3)|*.mp3|Ogg Vorbis 音频(*.ogg)|*.ogg|"
                                        "Opus 音频(*.opus)|*.opus|FLAC 音频(*.flac)|*.flac");

// Encodes the speech into a compressed file that replaces path only once it is complete.
// Nothing when that worked, else why not, in the window's words.
std::optional<QString> write_encoded(const QString &path, AudioFileKind kind, const PcmAudio &speech)
{
    EncodedStream stream(path, kind, speech.format, -1, FileSync::Durable);
    if (stream.write(speech.bytes) && stream.finish())
        return std::nullopt;
    return stream.system_error() != 0 ? system_error_text(stream.system_error()) : QStringLiteral("音频编码失败");
}

std::optional<QString> write_file(const QString &path, const PcmAudio &speech)
{
    const std::optional<AudioFileKind> kind = audio_file_kind(path);
    // Any name that asks for no compressed kind gets the WAV, as before there were others.
    if (kind && *kind != AudioFileKind::Wav)
        return write_encoded(path, *kind, speech);
    errno = 0;
    if (replace_file(path, WavFile::wrap(speech)))
        return std::nullopt;
    return system_error_text(errno);
}

} // namespace

void AudioExport::save_voice(const PcmAudio &speech, FileDialog &dialog)
{
    if (speech.bytes.isEmpty()) {
        message_box::information(QStringLiteral("请先合成语音再进行导出！"));
        return;
    }
    dialog.configure(FileDialog::Mode::Save, QStringLiteral("合成语音.wav"), kFilters);
    const std::optional<QString> path = dialog.exec();
    if (!path)
        return;
    if (const std::optional<QString> why = write_file(*path, speech))
        message_box::information(file_failure_message(QStringLiteral("导出失败"), *path, *why));
    else
        message_box::information(QStringLiteral("导出成功:") + QDir::toNativeSeparators(*path));
}
