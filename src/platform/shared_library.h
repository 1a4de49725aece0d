// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// A shared library opened by path or by plain name (the platform's search). Closing is left
// to process exit on purpose: code from the library may still run in threads it started.
class SharedLibrary final {
public:
    SharedLibrary() = default;
    SharedLibrary(const SharedLibrary &) = delete;
    SharedLibrary &operator=(const SharedLibrary &) = delete;

    // True when the library could be opened; a second call replaces nothing once open.
    bool open(const QString &path_or_name);
    // Opens `file` from the first of `folders` that holds it, else by its plain name through
    // the platform's search.
    bool open_first(const QString &file, const QStringList &folders);
    bool is_open() const { return m_handle != nullptr; }
    // Closes a library that nothing has been called from (one found unusable), so that a file
    // written anew at the same path is really loaded by the next open: the loader would hand
    // back the open one by its name.
    void close();
    void *resolve(const char *symbol) const;
    QString error() const { return m_error; }

private:
    void *m_handle = nullptr;
    QString m_error;
};
