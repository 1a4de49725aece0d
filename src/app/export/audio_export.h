// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/pcm_audio.h"

class FileDialog;

class AudioExport final {
public:
    AudioExport() = delete;

    // "保存语音": asks for a file with the window's dialog and writes the speech to it. The
    // name's extension chooses the file type: .mp3, .ogg, .opus and .flac are encoded (any
    // letter case), anything else gets the whole WAV. The file is written beside the target
    // and renamed over it, so a failed save leaves any earlier file as it was and says why.
    // Playback is not touched.
    static void save_voice(const PcmAudio &speech, FileDialog &dialog);
};
