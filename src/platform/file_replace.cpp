#include "platform/file_replace.h"

#include <QSaveFile>

bool replace_file(const QString &path, QByteArrayView bytes)
{
    QSaveFile file(path);
    // Unbuffered: with a buffer, a short final write (a full disk) slips past commit() in Qt 6.4
    // and a truncated file would replace the good one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(bytes.data(), bytes.size()) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
