// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/shared_library.h"

#include <QFile>
#include <dlfcn.h>

bool SharedLibrary::open(const QString &path_or_name)
{
    if (m_handle != nullptr)
        return true;
    m_handle = dlopen(QFile::encodeName(path_or_name).constData(), RTLD_NOW | RTLD_LOCAL);
    if (m_handle == nullptr) {
        const char *why = dlerror();
        m_error = why != nullptr ? QString::fromLocal8Bit(why) : QString();
    }
    return m_handle != nullptr;
}

bool SharedLibrary::open_first(const QString &file, const QStringList &folders)
{
    for (const QString &folder : folders) {
        const QString path = folder + u'/' + file;
        // A path that does not exist would make dlopen search elsewhere; skip it.
        if (QFile::exists(path) && open(path))
            return true;
    }
    return open(file);
}

void SharedLibrary::close()
{
    if (m_handle != nullptr)
        dlclose(m_handle);
    m_handle = nullptr;
}

void *SharedLibrary::resolve(const char *symbol) const
{
    return m_handle != nullptr ? dlsym(m_handle, symbol) : nullptr;
}
