// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The call trace written when LUMENO_ENGINE_TRACE names a file (format: see qtts.h).

#include <cstddef>
#include <cstdio>
#include <mutex>
#include <string>

namespace speech {

class TraceLog final {
public:
    static TraceLog &instance();

    // True when the variable is set; (re)opens the file when its name changed.
    bool enabled();
    // Appends line, the time and a line feed, and flushes.
    void write(const std::string &line);

    // A text as it appears in the trace: quoted and escaped, or null.
    static std::string quote(const char *text);
    static std::string quote(const char *text, std::size_t length);

private:
    TraceLog() = default;
    ~TraceLog();

    std::mutex m_mutex;
    std::FILE *m_file = nullptr;
    std::string m_path;
    double m_opened = 0.0;
};

} // namespace speech
