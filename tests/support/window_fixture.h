// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/main_window.h"
#include "engine/tts_engine.h"
#include "fake_engine.h"

#include <QTemporaryDir>
#include <memory>

// A main window over the in-process fake engine, with its library folders and its settings
// file in a temporary folder. A second fixture given the first one's config_path starts the
// program again over the same settings.
struct WindowFixture {
    WindowFixture()
        : WindowFixture(QString())
    {
    }
    explicit WindowFixture(const QString &settings_path)
        : config_path(settings_path.isEmpty() ? dir.filePath(QStringLiteral("config.ini")) : settings_path)
        , engine(EngineImages{}, {dir.filePath(QStringLiteral("system")), dir.filePath(QStringLiteral("program")), {}})
    {
        fake_engine::reset();
        engine.use_api(fake_engine::api());
        window = std::make_unique<MainWindow>(engine, config_path);
    }

    QTemporaryDir dir;
    QString config_path;
    TtsEngine engine;
    std::unique_ptr<MainWindow> window;
};
