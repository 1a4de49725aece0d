// SPDX-License-Identifier: GPL-3.0-or-later
#include "fake_engine.h"

#include "platform/gbk.h"

#include <QString>

namespace fake_engine {
namespace {

Script g_script;
QStringList g_calls;
QByteArray g_returned_id;

int init(const char *configs)
{
    g_calls << QStringLiteral("QTTSInit(%1)").arg(QString::fromLatin1(configs));
    if (g_script.on_init)
        g_script.on_init();
    return g_script.init_result;
}

const char *session_begin(const char *params, int *error)
{
    g_calls << QStringLiteral("QTTSSessionBegin(%1)").arg(QString::fromLatin1(params));
    *error = g_script.session_begin_error;
    g_returned_id = g_script.session_id;
    return g_script.session_id.isNull() ? nullptr : g_returned_id.constData();
}

int text_put(const char *session, const char *, unsigned int len, const char *)
{
    g_calls << QStringLiteral("QTTSTextPut(%1,%2)").arg(QString::fromLatin1(session)).arg(len);
    return g_script.text_put_result;
}

const void *audio_get(const char *session, unsigned int *len, int *status, int *error)
{
    g_calls << QStringLiteral("QTTSAudioGet(%1)").arg(QString::fromLatin1(session));
    *len = 0;
    *status = QTTS_AUDIO_COMPLETE;
    *error = 0;
    return nullptr;
}

int session_end(const char *session, const char *hints)
{
    g_calls << QStringLiteral("QTTSSessionEnd(%1,%2)").arg(QString::fromLatin1(session), gbk::decode(hints));
    return g_script.session_end_result;
}

int fini()
{
    g_calls << QStringLiteral("QTTSFini");
    return 0;
}

} // namespace

MscApi api()
{
    return {init, session_begin, text_put, audio_get, session_end, fini};
}

Script &script()
{
    return g_script;
}

QStringList &calls()
{
    return g_calls;
}

void reset()
{
    g_script = Script{};
    g_calls.clear();
}

} // namespace fake_engine
