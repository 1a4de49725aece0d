// SPDX-License-Identifier: GPL-3.0-or-later
// The reading preview, exported beside the six speech functions.

#include "qtts.h"
#include "reading_preview.h"
#include "trace_log.h"

#include <cstring>
#include <iconv.h>
#include <string>

namespace {

// Readings are handed out in GBK (GB18030 for what GBK lacks), as every other engine text.
bool to_gbk(const std::string &utf8, std::string &out)
{
    const iconv_t cd = iconv_open("GB18030", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    out.assign(utf8.size() * 4 + 4, '\0');
    char *in = const_cast<char *>(utf8.data());
    std::size_t in_left = utf8.size();
    char *to = out.data();
    std::size_t out_left = out.size();
    const bool ok = iconv(cd, &in, &in_left, &to, &out_left) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    out.resize(out.size() - out_left);
    return ok;
}

int text_reading(const char *params, const char *text, unsigned int length, char *reading, unsigned int *reading_length)
{
    if (params == nullptr || reading_length == nullptr || (text == nullptr && length > 0))
        return QTTS_ERROR_NULL_ARGUMENT;
    std::string utf8;
    const int result = speech::text_reading(params, std::string_view(text != nullptr ? text : "", length), utf8);
    if (result != QTTS_SUCCESS)
        return result;
    std::string gbk;
    if (!to_gbk(utf8, gbk))
        return QTTS_ERROR_OUT_OF_MEMORY;
    const unsigned int capacity = *reading_length;
    *reading_length = static_cast<unsigned int>(gbk.size());
    if (reading == nullptr || capacity <= gbk.size())
        return QTTS_ERROR_BUFFER_TOO_SMALL;
    std::memcpy(reading, gbk.data(), gbk.size());
    reading[gbk.size()] = '\0';
    return QTTS_SUCCESS;
}

} // namespace

extern "C" QTTS_API int QTTSTextReading(const char *params, const char *textString, unsigned int textLen, char *reading,
                                        unsigned int *readingLen)
{
    const int result = text_reading(params, textString, textLen, reading, readingLen);
    speech::TraceLog &trace = speech::TraceLog::instance();
    if (trace.enabled())
        trace.write("QTTSTextReading(params=" + speech::TraceLog::quote(params)
                    + ", textString=" + speech::TraceLog::quote(textString, textString != nullptr ? textLen : 0)
                    + ", textLen=" + std::to_string(textLen) + ") = " + std::to_string(result)
                    + " readingLen=" + (readingLen != nullptr ? std::to_string(*readingLen) : std::string("null")));
    return result;
}
