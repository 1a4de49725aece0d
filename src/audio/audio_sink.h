// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QString>

// Where the speech of a job goes, block by block, as it is made: 16-bit mono little-endian
// PCM at one rate. A sink destroyed without finish() leaves nothing behind under the final
// name (an interrupted or failed job).
class AudioSink {
public:
    virtual ~AudioSink() = default;

    virtual bool write(QByteArrayView pcm) = 0;
    // The audio so far ends at a sentence end: where a long output may be cut into parts.
    virtual bool sentence_end() { return true; }
    virtual bool finish() = 0;

    // What went wrong, after a false result.
    const QString &error() const { return m_error; }
    // The errno behind error() when the system refused (a full disk, no permission), for a
    // caller that words its own message; 0 for any other failure (an encoder's own).
    int system_error() const { return m_system_error; }

protected:
    bool fail(const QString &message, int system_error = 0)
    {
        m_error = message;
        m_system_error = system_error;
        return false;
    }

private:
    QString m_error;
    int m_system_error = 0;
};
