#pragma once

#include <optional>

// What happens before the window's creation: the command line, which must be answered
// without a display.
namespace program_start {

inline constexpr const char *kApplicationName = "lumeno";

// Answers --help and --version on standard output, and a start without any display in one
// line on standard error, before Qt is started (it would abort). The exit code when the
// program ends here; nothing when the window is to open. Qt's own options pass through.
std::optional<int> handle_command_line(int argc, char **argv);

} // namespace program_start
