// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/options/option_boxes.h"
#include "options/option_tables.h"

class QComboBox;
class VoiceCatalogue;

// The items, defaults and rebuilds of the option lists. The voice list and the compression
// levels depend on other lists; a selection set by code raises no `activated`, so every
// operation here that sets one rebuilds them itself.
class OptionLists final {
public:
    OptionLists(const OptionBoxes &boxes, VoiceCatalogue &voices);

    // Once per run: appends the fixed items and applies the defaults.
    void fill_fixed_items();
    // After the saved settings: the settings restore positions without raising `activated`,
    // so the voices and levels are rebuilt for what they selected.
    void rebuild_dependent_lists();
    void restore_defaults();
    // Rebuilds the levels for the selected audio encoding and selects that encoding's default.
    void fill_compression_levels();

private:
    QComboBox *list(option_tables::FixedList which) const;

    const OptionBoxes &m_boxes;
    VoiceCatalogue &m_voices;
};
