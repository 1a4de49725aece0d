// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <cstdio>

// One line on a terminal that shows how far a long job is: share of the text done, time
// spent, time left. Silent until the job has run a moment, and when the output is no terminal.
class ProgressLine final {
public:
    ProgressLine(FILE *to, bool enabled);
    ~ProgressLine();

    // done and total in the same unit (characters of the text spoken); total 0 when unknown.
    void update(qint64 done, qint64 total, double audio_seconds);
    // Clears the line so messages after it start at the margin.
    void clear();

    // The text of the line (without the carriage return), for a given moment; left_ms < 0: not
    // known yet.
    static QString text(qint64 done, qint64 total, double audio_seconds, qint64 elapsed_ms, qint64 left_ms);
    // The time left at the rate measured since the first update (and records that update);
    // -1 while it cannot be told.
    qint64 time_left(qint64 done, qint64 total, qint64 now_ms);

private:
    FILE *m_to;
    bool m_enabled;
    bool m_shown = false;
    QElapsedTimer m_clock;
    qint64 m_last_draw = -1;
    qint64 m_first_ms = -1;
    qint64 m_first_done = 0;
};
