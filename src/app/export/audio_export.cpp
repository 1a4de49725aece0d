// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/export/audio_export.h"

#include "app/dialogs/file_dialog.h"
#include "app/dialogs/message_box.h"
#include "app/dialogs/system_error.h"
#include "audio/encoded_stream.h"
#include "audio/wav_reader.h"
#include "platform/file_replace.h"

#include <QDir>
#include <QtEndian>
#include <cerrno>

namespace {

// The WAV filter first: it is the default, and the dialog adds its suffix to a bare name.
const QString kFilters = QStringLiteral("文本文档(*.wav)|*.wav|MP3 音频(*.mp3)|*.mp3|Ogg Vorbis 音频(*.ogg)|*.ogg|"
                                        "Opus 音频(*.opus)|*.opus|FLAC 音频(*.flac)|*.flac");

// The rate of a synthesis' WAV image, whose format is always 16-bit mono PCM (WavBuilder);
// nothing for any other format, which the encoders are not given.
std::optional<quint32> pcm16_mono_rate(QByteArrayView format)
{
    if (format.size() < 16)
        return std::nullopt;
    const auto field = [format](qsizetype at) { return qFromLittleEndian<quint16>(format.data() + at); };
    if (field(0) != 1 || field(2) != 1 || field(14) != 16)
        return std::nullopt;
    return qFromLittleEndian<quint32>(format.data() + 4);
}

// Encodes the speech into a compressed file that replaces path only once it is complete.
// Nothing when that worked, else why not, in the window's words.
std::optional<QString> write_encoded(const QString &path, AudioFileKind kind, const QByteArray &wav)
{
    const QString encoder_failed = QStringLiteral("音频编码失败");
    const std::optional<WavParts> parts = read_wav_parts(wav);
    const std::optional<quint32> rate = parts ? pcm16_mono_rate(parts->format) : std::nullopt;
    if (!rate)
        return encoder_failed;
    EncodedStream stream(path, kind, *rate, -1, FileSync::Durable);
    if (stream.write(parts->data) && stream.finish())
        return std::nullopt;
    return stream.system_error() != 0 ? system_error_text(stream.system_error()) : encoder_failed;
}

std::optional<QString> write_file(const QString &path, const QByteArray &wav)
{
    const std::optional<AudioFileKind> kind = audio_file_kind(path);
    // Any name that asks for no compressed kind gets the WAV, as before there were others.
    if (kind && *kind != AudioFileKind::Wav)
        return write_encoded(path, *kind, wav);
    errno = 0;
    if (replace_file(path, wav))
        return std::nullopt;
    return system_error_text(errno);
}

} // namespace

void AudioExport::save_voice(const QByteArray &audio_buffer, FileDialog &dialog)
{
    if (audio_buffer.isEmpty()) {
        message_box::information(QStringLiteral("请先合成语音再进行导出！"));
        return;
    }
    dialog.configure(FileDialog::Mode::Save, QStringLiteral("合成语音.wav"), kFilters);
    const std::optional<QString> path = dialog.exec();
    if (!path)
        return;
    if (const std::optional<QString> why = write_file(*path, audio_buffer))
        message_box::information(file_failure_message(QStringLiteral("导出失败"), *path, *why));
    else
        message_box::information(QStringLiteral("导出成功:") + QDir::toNativeSeparators(*path));
}
