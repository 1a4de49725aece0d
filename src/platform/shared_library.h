#pragma once

#include <QString>

// A shared library opened by path or by plain name (the platform's search). Closing is left
// to process exit on purpose: code from the library may still run in threads it started.
class SharedLibrary final {
public:
    SharedLibrary() = default;
    SharedLibrary(const SharedLibrary &) = delete;
    SharedLibrary &operator=(const SharedLibrary &) = delete;

    // True when the library could be opened; a second call replaces nothing once open.
    bool open(const QString &path_or_name);
    bool is_open() const { return m_handle != nullptr; }
    void *resolve(const char *symbol) const;
    QString error() const { return m_error; }

private:
    void *m_handle = nullptr;
    QString m_error;
};
