// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/profile_file.h"

#include "platform/file_replace.h"
#include "platform/regular_file.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <sys/stat.h>

namespace {

enum class Entry { Missing, Regular, Other };

// What stands at path itself: a link is "other" whatever it points to.
Entry entry_at(const QString &path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return errno == ENOENT ? Entry::Missing : Entry::Other;
    return S_ISREG(info.st_mode) ? Entry::Regular : Entry::Other;
}

} // namespace

ProfileText read_profile(const QString &path)
{
    QFile file;
    if (!open_regular_file(file, path))
        return ProfileText();
    return ProfileText(file.readAll());
}

std::optional<ProfileText> read_profile_for_update(const QString &path)
{
    const Entry entry = entry_at(path);
    if (entry == Entry::Missing)
        return ProfileText();
    QFile file;
    if (entry != Entry::Regular || !QFileInfo(path).isWritable() || !open_regular_file(file, path))
        return std::nullopt;
    return ProfileText(file.readAll());
}

bool write_profile(const ProfileText &profile, const QString &path)
{
    if (!profile.changed())
        return true;
    // Checked again just before: a link put there since reading must not be written through.
    return entry_at(path) != Entry::Other && replace_file(path, profile.text());
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
