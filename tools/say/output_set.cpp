// SPDX-License-Identifier: GPL-3.0-or-later
#include "say/output_set.h"

#include "say/wav_stream.h"

#include <QDir>
#include <QFileInfo>

OutputSet::OutputSet(FileSpec file)
    : m_spec(std::move(file))
{
}

QString OutputSet::part_name(const QString &path, int part)
{
    const QFileInfo info(path);
    const QString stem = info.completeBaseName() + QStringLiteral("-%1").arg(part, 3, 10, QChar(u'0'));
    const QString name = info.suffix().isEmpty() ? stem : stem + u'.' + info.suffix();
    return info.dir().filePath(name);
}

bool OutputSet::check(AudioSink &sink, bool ok)
{
    return ok || fail(sink.error());
}

bool OutputSet::open_part()
{
    const QString path = m_spec.part_bytes > 0 ? part_name(m_spec.path, ++m_part_count) : m_spec.path;
    if (m_spec.kind == AudioFileKind::Wav)
        m_part = std::make_unique<WavStream>(path, m_spec.format);
    else
        m_part = std::make_unique<EncodedStream>(path, m_spec.kind, m_spec.format, m_spec.quality);
    m_part_audio = 0;
    return m_part->error().isEmpty() || fail(m_part->error());
}

bool OutputSet::write(QByteArrayView pcm)
{
    if (!m_spec.path.isEmpty()) {
        if (!m_part && !open_part())
            return false;
        if (!check(*m_part, m_part->write(pcm)))
            return false;
        m_part_audio += pcm.size();
    }
    for (const auto &sink : m_others) {
        if (!check(*sink, sink->write(pcm)))
            return false;
    }
    return true;
}

bool OutputSet::sentence_end()
{
    // A part is renamed into place only with the others, so an interrupted job leaves none.
    if (m_part && m_spec.part_bytes > 0 && m_part_audio >= m_spec.part_bytes)
        m_done_parts.push_back(std::move(m_part));
    return true;
}

bool OutputSet::finish()
{
    if (m_part)
        m_done_parts.push_back(std::move(m_part));
    for (const auto &sink : m_others) {
        if (!check(*sink, sink->finish()))
            return false;
    }
    for (const auto &part : m_done_parts) {
        if (!check(*part, part->finish()))
            return false;
    }
    return true;
}
