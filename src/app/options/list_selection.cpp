// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/options/list_selection.h"

#include <QComboBox>

bool select_by_text(QComboBox *combo, const QString &text)
{
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i).startsWith(text, Qt::CaseInsensitive)) {
            combo->setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

void select_by_position(QComboBox *combo, int position)
{
    combo->setCurrentIndex(qBound(-1, position, combo->count() - 1));
}
