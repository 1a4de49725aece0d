// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for the engine library with scripted behaviour, loaded by the program exactly
// like the real one. The test sets the script through scripted_engine_configure and reads
// back every call through scripted_engine_calls.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Script {
    int init_result = 0;
    int begin_error = 0;
    int text_put_result = 0;
    int end_result = 0;
    int chunks = 3;
    int chunk_bytes = 640;
    int empty_polls = 2; // passes without audio before each chunk
    int error_at = -1;   // chunk number whose call reports an error
    bool never_finish = false;
    int poll_delay_ms = 0; // time each audio call takes, as an engine working would
};

std::mutex g_mutex;
Script g_script;
std::string g_calls;
std::string g_calls_copy;
int g_next_session = 0;
std::string g_session;
int g_chunk = 0;
int g_empty = 0;
std::vector<char> g_audio;
bool g_finalised = false;

// Bytes outside printable ASCII as \xHH, so the log keeps one call per line.
std::string escaped(const char *bytes, std::size_t length)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += digits[c >> 4];
            out += digits[c & 15];
        }
    }
    return out;
}

std::string escaped(const char *text)
{
    return text != nullptr ? escaped(text, std::strlen(text)) : std::string("(null)");
}

void log(const std::string &line)
{
    g_calls += line;
    g_calls += '\n';
    // A program started by a test reports its calls through a file.
    if (const char *path = std::getenv("SCRIPTED_ENGINE_LOG")) {
        if (std::FILE *file = std::fopen(path, "a")) {
            std::fprintf(file, "%s\n", line.c_str());
            std::fclose(file);
        }
    }
}

} // namespace

EXPORT void scripted_engine_configure(const char *script)
{
    std::lock_guard lock(g_mutex);
    g_script = Script{};
    g_calls.clear();
    g_finalised = false;
    std::map<std::string, int *> ints{{"init", &g_script.init_result},
                                      {"begin_error", &g_script.begin_error},
                                      {"text_put", &g_script.text_put_result},
                                      {"end", &g_script.end_result},
                                      {"chunks", &g_script.chunks},
                                      {"chunk_bytes", &g_script.chunk_bytes},
                                      {"empty_polls", &g_script.empty_polls},
                                      {"error_at", &g_script.error_at},
                                      {"poll_delay_ms", &g_script.poll_delay_ms}};
    std::stringstream in(script != nullptr ? script : "");
    std::string item;
    while (std::getline(in, item, ';')) {
        const auto eq = item.find('=');
        const std::string key = item.substr(0, eq);
        const int value = eq == std::string::npos ? 1 : std::atoi(item.c_str() + eq + 1);
        if (key == "never_finish")
            g_script.never_finish = value != 0;
        else if (auto it = ints.find(key); it != ints.end())
            *it->second = value;
    }
}

EXPORT const char *scripted_engine_calls()
{
    std::lock_guard lock(g_mutex);
    g_calls_copy = g_calls;
    return g_calls_copy.c_str();
}

EXPORT int QTTSInit(const char *configs)
{
    // A program started by a test takes its script from the environment.
    static const bool from_environment = [] {
        if (const char *script = std::getenv("SCRIPTED_ENGINE"))
            scripted_engine_configure(script);
        return true;
    }();
    (void)from_environment;
    std::lock_guard lock(g_mutex);
    log("QTTSInit " + escaped(configs));
    return g_script.init_result;
}

EXPORT const char *QTTSSessionBegin(const char *params, int *error)
{
    std::lock_guard lock(g_mutex);
    log("QTTSSessionBegin " + escaped(params));
    *error = g_script.begin_error;
    if (g_script.begin_error != 0)
        return nullptr;
    g_session = "scripted-" + std::to_string(++g_next_session);
    g_chunk = 0;
    g_empty = 0;
    return g_session.c_str();
}

EXPORT int QTTSTextPut(const char *session, const char *text, unsigned int length, const char *params)
{
    std::lock_guard lock(g_mutex);
    log("QTTSTextPut " + escaped(session) + " " + std::to_string(length) + " [" + escaped(text, length) + "] params=["
        + escaped(params) + "]");
    return g_script.text_put_result;
}

EXPORT const void *QTTSAudioGet(const char *session, unsigned int *length, int *status, int *error)
{
    int delay = 0;
    {
        std::lock_guard lock(g_mutex);
        delay = g_script.poll_delay_ms;
    }
    if (delay > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    std::lock_guard lock(g_mutex);
    // Polls are many: only the ones that deliver or end are logged, and any after QTTSFini.
    if (g_finalised)
        log("QTTSAudioGet after QTTSFini");
    *length = 0;
    *error = 0;
    *status = 1;
    if (session == nullptr || g_session != session) {
        *error = 10108;
        log("QTTSAudioGet unknown session");
        return nullptr;
    }
    if (g_script.never_finish)
        return nullptr;
    if (g_empty < g_script.empty_polls) {
        ++g_empty;
        return nullptr;
    }
    g_empty = 0;
    if (g_chunk == g_script.error_at) {
        *error = 10200;
        log("QTTSAudioGet error");
        return nullptr;
    }
    if (g_chunk >= g_script.chunks) {
        *status = 2;
        log("QTTSAudioGet done");
        return nullptr;
    }
    ++g_chunk;
    g_audio.assign(static_cast<std::size_t>(g_script.chunk_bytes), static_cast<char>(g_chunk));
    *length = static_cast<unsigned int>(g_audio.size());
    if (g_chunk == g_script.chunks)
        *status = 2;
    log("QTTSAudioGet chunk " + std::to_string(g_chunk) + (*status == 2 ? " last" : ""));
    return g_audio.data();
}

EXPORT int QTTSSessionEnd(const char *session, const char *hints)
{
    std::lock_guard lock(g_mutex);
    log("QTTSSessionEnd " + escaped(session) + " " + escaped(hints));
    return g_script.end_result;
}

#ifndef SCRIPTED_WITHOUT_FINI
EXPORT int QTTSFini()
{
    std::lock_guard lock(g_mutex);
    log("QTTSFini");
    g_finalised = true;
    return 0;
}
#endif
