// SPDX-License-Identifier: GPL-3.0-or-later
// The six exported functions: each forwards to the engine and, when tracing is on, writes one
// line with its arguments and results.

#include "engine.h"
#include "qtts.h"
#include "trace_log.h"

#include <string>

using speech::Engine;
using speech::TraceLog;

namespace {

std::string number(long value)
{
    return std::to_string(value);
}

std::string out_value(const int *value)
{
    return value != nullptr ? number(*value) : std::string("null");
}

} // namespace

extern "C" {

QTTS_API int QTTSInit(const char *configs)
{
    const int result = Engine::instance().init(configs);
    TraceLog &trace = TraceLog::instance();
    if (trace.enabled())
        trace.write("QTTSInit(configs=" + TraceLog::quote(configs) + ") = " + number(result));
    return result;
}

QTTS_API const char *QTTSSessionBegin(const char *params, int *errorCode)
{
    const char *id = Engine::instance().begin_session(params, errorCode);
    TraceLog &trace = TraceLog::instance();
    if (trace.enabled())
        trace.write("QTTSSessionBegin(params=" + TraceLog::quote(params) + ") = " + TraceLog::quote(id)
                    + " errorCode=" + out_value(errorCode));
    return id;
}

QTTS_API int QTTSTextPut(const char *sessionID, const char *textString, unsigned int textLen, const char *params)
{
    const int result = Engine::instance().put_text(sessionID, textString, textLen);
    TraceLog &trace = TraceLog::instance();
    if (trace.enabled())
        trace.write("QTTSTextPut(sessionID=" + TraceLog::quote(sessionID)
                    + ", textString=" + TraceLog::quote(textString, textString != nullptr ? textLen : 0)
                    + ", textLen=" + number(textLen) + ", params=" + TraceLog::quote(params) + ") = " + number(result));
    return result;
}

QTTS_API const void *QTTSAudioGet(const char *sessionID, unsigned int *audioLen, int *synthStatus, int *errorCode)
{
    const void *audio = Engine::instance().get_audio(sessionID, audioLen, synthStatus, errorCode);
    TraceLog &trace = TraceLog::instance();
    if (trace.enabled()) {
        const std::string length = audioLen != nullptr ? number(static_cast<long>(*audioLen)) : std::string("null");
        trace.write("QTTSAudioGet(sessionID=" + TraceLog::quote(sessionID)
                    + ") = " + (audio != nullptr ? length : std::string("null")) + " audioLen=" + length
                    + " synthStatus=" + out_value(synthStatus) + " errorCode=" + out_value(errorCode));
    }
    return audio;
}

QTTS_API int QTTSSessionEnd(const char *sessionID, const char *hints)
{
    // Quoted before the call, so the line shows the id as the caller passed it.
    TraceLog &trace = TraceLog::instance();
    const bool tracing = trace.enabled();
    const std::string id = tracing ? TraceLog::quote(sessionID) : std::string();
    const int result = Engine::instance().end_session(sessionID);
    if (tracing)
        trace.write("QTTSSessionEnd(sessionID=" + id + ", hints=" + TraceLog::quote(hints) + ") = " + number(result));
    return result;
}

QTTS_API int QTTSFini(void)
{
    const int result = Engine::instance().fini();
    TraceLog &trace = TraceLog::instance();
    if (trace.enabled())
        trace.write("QTTSFini() = " + number(result));
    return result;
}

} // extern "C"
