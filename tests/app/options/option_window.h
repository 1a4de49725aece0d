// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The option lists of the main window on a bare widget, with the catalogue, the option lists
// and the same three bindings the window makes. Tests pick items the way a user does.

#include "app/controls.h"
#include "app/options/option_lists.h"
#include "app/options/voice_catalogue.h"

#include <QStringList>
#include <QWidget>

class QComboBox;

struct OptionWindow {
    OptionWindow();

    QWidget window;
    Controls controls;
    VoiceCatalogue catalogue{controls};
    OptionLists lists{controls, catalogue};
};

// Moves the selection with the arrow keys, as a user does on the focused list; every step
// raises `activated` like a pick from the opened list. False when the position was not reached.
[[nodiscard]] bool user_pick(QComboBox *list, int position);

QStringList items_of(const QComboBox *list);
