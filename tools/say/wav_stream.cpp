#include "say/wav_stream.h"

#include "audio/wav_builder.h"

#include <QtEndian>

WavStream::WavStream(const QString &target, quint32 sample_rate, qint64 max_data)
    : m_pending(target)
    , m_file(m_pending.path())
    , m_rate(sample_rate)
    , m_max_data(max_data)
{
    m_open = !m_pending.path().isEmpty() && m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
             && m_file.write(WavBuilder::wrap({}, sample_rate)) == WavBuilder::kHeaderSize;
    if (!m_open)
        fail(QStringLiteral("cannot write %1").arg(target));
}

bool WavStream::write(QByteArrayView pcm)
{
    if (!m_open)
        return false;
    if (m_data + pcm.size() > m_max_data)
        return fail(QStringLiteral("the speech is longer than a WAV file can hold (4 GiB); "
                                   "use --split-minutes or a compressed format such as .flac or .mp3"));
    if (m_file.write(pcm.data(), pcm.size()) != pcm.size())
        return fail(QStringLiteral("cannot write %1: %2").arg(m_file.fileName(), m_file.errorString()));
    m_data += pcm.size();
    return true;
}

bool WavStream::finish()
{
    if (!m_open)
        return false;
    // A device or a pipe cannot go back to the header: it keeps the empty sizes.
    if (!m_file.isSequential()) {
        QByteArray sized = WavBuilder::wrap({}, m_rate);
        qToLittleEndian<quint32>(static_cast<quint32>(m_data + 36), sized.data() + 4);
        qToLittleEndian<quint32>(static_cast<quint32>(m_data), sized.data() + 40);
        if (!m_file.seek(0) || m_file.write(sized) != sized.size())
            return fail(QStringLiteral("cannot write %1").arg(m_file.fileName()));
    }
    m_file.close();
    return m_pending.commit() || fail(QStringLiteral("cannot replace the output file"));
}
