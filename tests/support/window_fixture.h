#pragma once

#include "app/main_window.h"
#include "app/process_state.h"
#include "engine/tts_engine.h"
#include "fake_engine.h"

#include <QTemporaryDir>

#include <memory>

// A main window over the in-process fake engine, with its library folders in a temporary folder.
struct WindowFixture {
    WindowFixture()
        : engine(EngineImages{}, {dir.filePath(QStringLiteral("system")), dir.filePath(QStringLiteral("program"))})
    {
        fake_engine::reset();
        engine.use_api(fake_engine::api());
        window = std::make_unique<MainWindow>(state, engine);
    }

    QTemporaryDir dir;
    ProcessState state;
    TtsEngine engine;
    std::unique_ptr<MainWindow> window;
};
