// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

class FileDialog;

class AudioExport final {
public:
    AudioExport() = delete;

    // "保存语音": asks for a file with the window's dialog and writes the whole WAV to it. The
    // file is written beside the target and renamed over it, so a failed save leaves any
    // earlier file as it was. Playback is not touched.
    static void save_voice(const QByteArray &audio_buffer, FileDialog &dialog);
};
