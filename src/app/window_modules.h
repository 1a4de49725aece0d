#pragma once

#include "app/controls.h"
#include "text/text_panel.h"

struct ProcessState;
class TtsEngine;

// The operations the window's events are bound to, grouped by the part of the window they serve.
struct MainWindow::Modules {
    Modules(const Controls &controls, ProcessState &state, TtsEngine &engine)
        : text_panel(controls)
    {
        (void)state;
        (void)engine;
    }

    TextPanel text_panel;
};
