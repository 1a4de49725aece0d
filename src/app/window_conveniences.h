// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

struct Controls;
class TextPanel;

// What the window offers beyond its designed controls, none of which moves or resizes one:
// keyboard shortcuts for the buttons used most, tooltips, names a screen reader can tell
// apart, and text files dropped on the text box.
namespace window_conveniences {

// Ctrl+Enter speaks, Esc stops, Ctrl+S saves, Ctrl+O imports; open_feedback runs on the
// feedback shortcut (kFeedbackShortcut).
void add_shortcuts(const Controls &c, std::function<void()> open_feedback);
inline constexpr const char *kFeedbackShortcut = "Ctrl+Shift+F";

// Each list is named after the caption before it, and buttons and lists get tooltips.
void add_names_and_hints(const Controls &c);

void accept_dropped_files(const Controls &c, TextPanel &text_panel);

} // namespace window_conveniences
