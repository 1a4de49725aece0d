#pragma once

#include "app/controls.h"
#include "app/main_window.h"
#include "engine/synthesis_run.h"
#include "options/option_lists.h"
#include "options/voice_catalogue.h"
#include "text/text_panel.h"

struct ProcessState;
class TtsEngine;

// The operations the window's events are bound to, grouped by the part of the window they serve.
struct MainWindow::Modules {
    Modules(MainWindow &window, const Controls &controls, ProcessState &state, TtsEngine &engine)
        : text_panel(controls)
        , voices(controls, state)
        , option_lists(controls, voices)
        , run(controls, engine, voices, state, [&window](const QString &text) { window.show_status(text); })
    {
    }

    TextPanel text_panel;
    VoiceCatalogue voices;
    OptionLists option_lists;
    SynthesisRun run;
};
