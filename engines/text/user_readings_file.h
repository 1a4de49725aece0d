// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The user's reading dictionary: a UTF-8 file "word pinyin" per line in the user's
// configuration folder, read by the engine so the window and lumeno-say hear the same.

#include "reading_dictionary.h"

#include <memory>
#include <string>

namespace speech {

// $XDG_CONFIG_HOME/lumeno/readings.txt, or ~/.config/lumeno/readings.txt.
std::string user_readings_path();

// The file's readings, read again whenever it changes (empty when there is none). Only a
// regular file of at most 1 MiB is read. Each skipped line is written to standard error once
// per reading of the file, with its line number, unless LUMENO_READINGS_QUIET is set (the
// worker processes of lumeno-say but one: they read the same file).
std::shared_ptr<const UserReadings> current_user_readings();

} // namespace speech
