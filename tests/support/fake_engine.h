// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/msc_api.h"

#include <QByteArray>
#include <QStringList>
#include <functional>

// An in-process stand-in for the engine library: records every call and answers as scripted.
namespace fake_engine {

struct Script {
    int init_result = 0;
    int session_end_result = 0;
    int session_begin_error = 0;
    QByteArray session_id = "session-1";
    int text_put_result = 0;
    std::function<void()> on_init; // runs inside QTTSInit, to look at the program's state then
};

MscApi api();
Script &script();
QStringList &calls();
void reset();

} // namespace fake_engine
