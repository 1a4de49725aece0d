// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Setting a list's selection from code. Neither function raises the list's `activated`
// signal: a selection made by the program sets off no rebuild, its caller does that.

class QComboBox;
class QString;

// Selects the first item, from the top, whose text begins with text, letter case ignored.
// Without such an item the selection stays as it was. Returns whether an item was selected.
bool select_by_text(QComboBox *combo, const QString &text);

// Selects a position, clamped: above the last item selects the last one (nothing in an empty
// list), -1 or lower clears the selection.
void select_by_position(QComboBox *combo, int position);
