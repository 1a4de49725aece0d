// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/controls.h"
#include "app/main_window.h"
#include "app/options/option_lists.h"
#include "app/options/voice_catalogue.h"
#include "app/run/synthesis_run.h"
#include "app/settings/settings_store.h"
#include "app/text/text_panel.h"

class TtsEngine;

// The operations the window's events are bound to, grouped by the part of the window they serve.
struct MainWindow::Modules {
    Modules(MainWindow &window, const Controls &controls, TtsEngine &engine, const QString &config_path)
        : text_panel(controls)
        , settings(controls.window, text_panel, config_path, controls.dialog)
        , voices(controls)
        , option_lists(controls, voices)
        , run(controls.text, controls.start, controls, engine, voices,
              [&window](const QString &text) { window.show_status(text); })
    {
    }

    TextPanel text_panel;
    SettingsStore settings;
    VoiceCatalogue voices;
    OptionLists option_lists;
    SynthesisRun run;
};
