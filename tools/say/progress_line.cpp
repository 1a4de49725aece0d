// SPDX-License-Identifier: GPL-3.0-or-later
#include "say/progress_line.h"

#include <algorithm>
#include <unistd.h>

namespace {

// "A moment": shorter jobs show nothing.
constexpr qint64 kQuietMs = 1000;
constexpr qint64 kRedrawMs = 200;

QString clock_text(qint64 ms)
{
    const qint64 s = ms / 1000;
    return s >= 3600 ? QStringLiteral("%1:%2:%3")
                           .arg(s / 3600)
                           .arg(s / 60 % 60, 2, 10, QChar(u'0'))
                           .arg(s % 60, 2, 10, QChar(u'0'))
                     : QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QChar(u'0'));
}

} // namespace

ProgressLine::ProgressLine(FILE *to, bool enabled)
    : m_to(to)
    , m_enabled(enabled && isatty(fileno(to)) != 0)
{
    m_clock.start();
}

ProgressLine::~ProgressLine()
{
    clear();
}

QString ProgressLine::text(qint64 done, qint64 total, double audio_seconds, qint64 elapsed_ms, qint64 left_ms)
{
    QString line;
    if (total > 0) {
        const double share = qBound(0.0, static_cast<double>(done) / static_cast<double>(total), 1.0);
        line = QStringLiteral("%1%").arg(static_cast<int>(share * 100), 3);
        line += QStringLiteral("  elapsed %1").arg(clock_text(elapsed_ms));
        if (left_ms >= 0)
            line += QStringLiteral("  left %1").arg(clock_text(left_ms));
    } else {
        line = QStringLiteral("elapsed %1").arg(clock_text(elapsed_ms));
    }
    line += QStringLiteral("  speech %1").arg(clock_text(static_cast<qint64>(audio_seconds * 1000)));
    return line;
}

qint64 ProgressLine::time_left(qint64 done, qint64 total, qint64 now_ms)
{
    // The rate is measured from the first piece written, so the start-up (workers starting,
    // the first batch spoken before any audio comes) does not count as speaking time.
    if (m_first_ms < 0) {
        m_first_ms = now_ms;
        m_first_done = done;
    }
    const qint64 spoken = done - m_first_done;
    if (total <= 0 || spoken <= 0 || now_ms <= m_first_ms)
        return -1;
    const double rate = static_cast<double>(spoken) / static_cast<double>(now_ms - m_first_ms); // per ms
    return static_cast<qint64>(static_cast<double>(std::max<qint64>(total - done, 0)) / rate);
}

void ProgressLine::update(qint64 done, qint64 total, double audio_seconds)
{
    const qint64 now = m_clock.elapsed();
    const qint64 left = time_left(done, total, now);
    if (!m_enabled || now < kQuietMs || (m_last_draw >= 0 && now - m_last_draw < kRedrawMs))
        return;
    m_last_draw = now;
    const QByteArray line = text(done, total, audio_seconds, now, left).toUtf8();
    std::fprintf(m_to, "\r%s\x1b[K", line.constData());
    std::fflush(m_to);
    m_shown = true;
}

void ProgressLine::clear()
{
    if (!m_shown)
        return;
    std::fputs("\r\x1b[K", m_to);
    std::fflush(m_to);
    m_shown = false;
}
