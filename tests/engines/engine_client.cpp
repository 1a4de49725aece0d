// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine_client.h"

#include <QList>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <dlfcn.h>

namespace {

template <typename F> void resolve(void *library, const char *name, F &function)
{
    function = reinterpret_cast<F>(dlsym(library, name));
}

} // namespace

EngineClient::EngineClient()
{
    m_library = dlopen(ENGINE_FILE, RTLD_NOW | RTLD_LOCAL);
    if (m_library == nullptr) {
        m_error = QString::fromLocal8Bit(dlerror());
        return;
    }
    resolve(m_library, "QTTSInit", m_init);
    resolve(m_library, "QTTSSessionBegin", m_begin);
    resolve(m_library, "QTTSTextPut", m_put);
    resolve(m_library, "QTTSAudioGet", m_get);
    resolve(m_library, "QTTSSessionEnd", m_end);
    resolve(m_library, "QTTSFini", m_fini);
    if (!m_init || !m_begin || !m_put || !m_get || !m_end || !m_fini) {
        m_error = QStringLiteral("a function is missing");
        m_init = nullptr;
    }
}

EngineClient::~EngineClient()
{
    if (m_library != nullptr)
        dlclose(m_library);
}

QByteArray EngineClient::config()
{
    return "server_url=tts.example.com:80/index.htm,appid=lm0test1,timeout=10000,coding_libs=libmsc_speex.so,"
           "max_text_size=2048";
}

EngineClient::Result EngineClient::synthesise(const QByteArray &params, const QByteArray &text) const
{
    Result result;
    const char *session = m_begin(params.constData(), &result.begin_error);
    if (session == nullptr)
        return result;
    result.put_result = m_put(session, text.constData(), static_cast<unsigned int>(text.size()), "");
    if (result.put_result == QTTS_SUCCESS) {
        int status = QTTS_AUDIO_MORE;
        while (status != QTTS_AUDIO_COMPLETE) {
            unsigned int length = 0;
            const void *audio = m_get(session, &length, &status, &result.audio_error);
            ++result.polls;
            if (audio != nullptr && length > 0) {
                const std::size_t old = result.pcm.size();
                result.pcm.resize(old + length / 2);
                std::memcpy(result.pcm.data() + old, audio, length);
                ++result.chunks;
            }
        }
    }
    m_end(session, "\xd5\xfd\xb3\xa3\xb9\xd8\xb1\xd5");
    return result;
}

QByteArray session_params(std::initializer_list<std::pair<const char *, const char *>> changes)
{
    QList<QByteArray> pairs =
        QByteArray("ssm=1,vcn=xiaoyan,spd=medium,vol=medium,ttp=text,tte=GB2312,bgs=0,aue=speex;7,"
                   "auf=audio/L16;rate=16000,rdn=0")
            .split(',');
    for (const auto &[key, value] : changes) {
        for (QByteArray &pair : pairs) {
            if (pair.startsWith(QByteArray(key) + '='))
                pair = QByteArray(key) + '=' + value;
        }
    }
    return pairs.join(',');
}

namespace pcm {

double rms(const std::vector<short> &samples, std::size_t from, std::size_t to)
{
    to = std::min(to, samples.size());
    if (from >= to)
        return 0.0;
    double sum = 0.0;
    for (std::size_t i = from; i < to; ++i)
        sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / double(to - from));
}

int peak(const std::vector<short> &samples)
{
    int p = 0;
    for (short s : samples)
        p = std::max(p, std::abs(int(s)));
    return p;
}

double quiet_rms(const std::vector<short> &samples, int rate, double fraction)
{
    const std::size_t window = static_cast<std::size_t>(rate / 20);
    std::vector<double> levels;
    for (std::size_t start = 0; start + window <= samples.size(); start += window)
        levels.push_back(rms(samples, start, start + window));
    if (levels.empty())
        return 0.0;
    std::sort(levels.begin(), levels.end());
    const std::size_t count = std::max<std::size_t>(1, static_cast<std::size_t>(levels.size() * fraction));
    double sum = 0.0;
    for (std::size_t i = 0; i < count; ++i)
        sum += levels[i];
    return sum / double(count);
}

} // namespace pcm
