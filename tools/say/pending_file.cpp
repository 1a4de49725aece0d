#include "say/pending_file.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cstdio>
#include <sys/stat.h>

PendingFile::PendingFile(const QString &target)
    : m_target(target)
{
    const QFileInfo info(target);
    if (info.exists() && info.isDir())
        return;
    if (info.exists() && !info.isFile()) {
        m_direct = true;
        m_path = target;
        return;
    }
    QTemporaryFile beside(target + QStringLiteral(".part-XXXXXX"));
    beside.setAutoRemove(false);
    if (!beside.open())
        return;
    m_path = beside.fileName();
    // A temporary file is private; the output gets what any new file of the user gets.
    const mode_t mask = umask(0);
    umask(mask);
    chmod(QFile::encodeName(m_path).constData(), 0666 & ~mask);
}

PendingFile::~PendingFile()
{
    if (!m_committed && !m_direct && !m_path.isEmpty())
        QFile::remove(m_path);
}

bool PendingFile::commit()
{
    if (m_path.isEmpty())
        return false;
    // rename(2) replaces the target in one step; QFile::rename refuses an existing target.
    m_committed =
        m_direct || std::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(m_target).constData()) == 0;
    return m_committed;
}
