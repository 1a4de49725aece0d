#include "settings/profile_file.h"

#include "platform/file_replace.h"

#include <QFile>
#include <QFileInfo>

ProfileText read_profile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ProfileText();
    return ProfileText(file.readAll());
}

std::optional<ProfileText> read_profile_for_update(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return ProfileText();
    QFile file(path);
    if (!info.isWritable() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return ProfileText(file.readAll());
}

bool write_profile(const ProfileText &profile, const QString &path)
{
    return !profile.changed() || replace_file(path, profile.text());
}

QByteArray read_profile_string(QByteArrayView section, QByteArrayView key, QByteArrayView fallback, const QString &path,
                               qsizetype buffer_size)
{
    return read_profile(path).read(section, key, fallback, buffer_size);
}

bool write_profile_string(QByteArrayView section, QByteArrayView key, QByteArrayView value, const QString &path)
{
    std::optional<ProfileText> profile = read_profile_for_update(path);
    if (!profile)
        return false;
    profile->write(section, key, value);
    return write_profile(*profile, path);
}
