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

    // done and total in the same unit (bytes of the input); total 0 when unknown.
    void update(qint64 done, qint64 total, double audio_seconds);
    // Clears the line so messages after it start at the margin.
    void clear();

    // The text of the line (without the carriage return), for a given moment.
    static QString text(qint64 done, qint64 total, double audio_seconds, qint64 elapsed_ms);

private:
    FILE *m_to;
    bool m_enabled;
    bool m_shown = false;
    QElapsedTimer m_clock;
    qint64 m_last_draw = -1;
};
