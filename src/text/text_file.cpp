#include "text/text_file.h"

#include "platform/gbk.h"

#include <QFile>

std::optional<QByteArray> read_text_file(const QString &path, qsizetype max_bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.read(max_bytes);
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    bytes.truncate(gbk::text_length(bytes));
    return bytes;
}
