// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// libmsc.so loaded with dlopen, its six functions resolved by name, and measurements of the
// PCM it delivers. Shared by the tests that drive the real library.

#include "qtts.h"

#include <QByteArray>
#include <QString>
#include <vector>

class EngineClient final {
public:
    EngineClient();
    ~EngineClient();
    EngineClient(const EngineClient &) = delete;
    EngineClient &operator=(const EngineClient &) = delete;

    bool loaded() const { return m_init != nullptr; }
    QString error() const { return m_error; }

    int init(const char *configs) const { return m_init(configs); }
    const char *begin(const char *params, int *error) const { return m_begin(params, error); }
    int put(const char *session, const char *text, unsigned int length, const char *params) const
    {
        return m_put(session, text, length, params);
    }
    const void *get(const char *session, unsigned int *length, int *status, int *error) const
    {
        return m_get(session, length, status, error);
    }
    int end(const char *session, const char *hints) const { return m_end(session, hints); }
    int fini() const { return m_fini(); }

    // The program's configuration, with the codec found beside libmsc.so.
    static QByteArray config();

    struct Result {
        int begin_error = -1;
        int put_result = -1;
        int audio_error = -1;
        int chunks = 0; // QTTSAudioGet calls that gave audio
        int polls = 0;  // all QTTSAudioGet calls
        std::vector<short> pcm;
    };
    // One whole session: begin, put, poll to the end, end.
    Result synthesise(const QByteArray &params, const QByteArray &text) const;

private:
    void *m_library = nullptr;
    QString m_error;
    QTTSInitFunc m_init = nullptr;
    QTTSSessionBeginFunc m_begin = nullptr;
    QTTSTextPutFunc m_put = nullptr;
    QTTSAudioGetFunc m_get = nullptr;
    QTTSSessionEndFunc m_end = nullptr;
    QTTSFiniFunc m_fini = nullptr;
};

// The designed parameter text with some keys replaced: {{"vcn", "henry"}, {"aue", "raw"}}.
QByteArray session_params(std::initializer_list<std::pair<const char *, const char *>> changes = {});

namespace pcm {
double rms(const std::vector<short> &samples, std::size_t from = 0, std::size_t to = SIZE_MAX);
int peak(const std::vector<short> &samples);
// RMS of the quietest 50 ms windows (the given fraction of all windows).
double quiet_rms(const std::vector<short> &samples, int rate, double fraction);
} // namespace pcm
