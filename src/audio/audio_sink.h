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

protected:
    bool fail(const QString &message)
    {
        m_error = message;
        return false;
    }

private:
    QString m_error;
};
