// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace_log.h"

#include <chrono>
#include <cstdlib>

namespace speech {
namespace {

// Long texts are cut so a trace stays readable; the byte count is always given separately.
constexpr std::size_t max_traced_bytes = 65536;

double seconds_now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

TraceLog &TraceLog::instance()
{
    static TraceLog log;
    return log;
}

TraceLog::~TraceLog()
{
    if (m_file != nullptr)
        std::fclose(m_file);
}

bool TraceLog::enabled()
{
    const char *path = std::getenv("LUMENO_ENGINE_TRACE");
    const std::lock_guard lock(m_mutex);
    if (path == nullptr || *path == '\0') {
        if (m_file != nullptr)
            std::fclose(m_file);
        m_file = nullptr;
        m_path.clear();
        return false;
    }
    if (m_file == nullptr || m_path != path) {
        if (m_file != nullptr)
            std::fclose(m_file);
        m_file = std::fopen(path, "a");
        m_path = path;
        m_opened = seconds_now();
    }
    return m_file != nullptr;
}

void TraceLog::write(const std::string &line)
{
    const std::lock_guard lock(m_mutex);
    if (m_file == nullptr)
        return;
    std::fprintf(m_file, "%s [t=%.3f]\n", line.c_str(), seconds_now() - m_opened);
    std::fflush(m_file);
}

std::string TraceLog::quote(const char *text)
{
    if (text == nullptr)
        return "null";
    std::size_t length = 0;
    while (length < max_traced_bytes + 1 && text[length] != '\0')
        ++length;
    return quote(text, length);
}

std::string TraceLog::quote(const char *text, std::size_t length)
{
    if (text == nullptr)
        return "null";
    const std::size_t shown = length < max_traced_bytes ? length : max_traced_bytes;
    std::string out = "\"";
    out.reserve(shown * 2 + 2);
    for (std::size_t i = 0; i < shown; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c <= 0x7E) {
            out += static_cast<char>(c);
        } else {
            static const char hex[] = "0123456789abcdef";
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 0x0F];
        }
    }
    out += '"';
    if (shown < length)
        out += "...";
    return out;
}

} // namespace speech
