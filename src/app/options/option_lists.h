#pragma once

#include "app/controls.h"
#include "options/option_tables.h"

#include <functional>

class QComboBox;
class VoiceCatalogue;

// The items, defaults and rebuilds of the option lists. The voice list and the compression
// levels depend on other lists; a selection set by code raises no `activated`, so every
// operation here that sets one rebuilds them itself.
class OptionLists final {
public:
    OptionLists(const Controls &controls, VoiceCatalogue &voices);

    // Once per run: appends the fixed items, applies the defaults, then load_settings (may be
    // empty), and rebuilds the voices and levels for what the settings selected.
    void fill(const std::function<void()> &load_settings);
    void restore_defaults();
    // Rebuilds the levels for the selected audio encoding and selects that encoding's default.
    void fill_compression_levels();

private:
    QComboBox *list(option_tables::FixedList which) const;

    const Controls &m_controls;
    VoiceCatalogue &m_voices;
};
