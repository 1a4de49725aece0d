// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The settings file read and written through ProfileText (which holds the rules), either one
// key per call or as a whole text edited in memory and written once.

#include "settings/profile_text.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

// The file's text; an empty one when the file is missing, cannot be read or is no regular file
// (a pipe there would hold the program until something writes to it). A link to a regular
// file is read through.
ProfileText read_profile(const QString &path);

// The file's text for editing; an empty one when the file is missing, nothing when it exists
// but is read-only or unreadable (so it keeps its content, even where the folder would allow
// replacing it), and nothing when path is a link or anything but a regular file: writing
// through a link would change whatever file it points to.
std::optional<ProfileText> read_profile_for_update(const QString &path);

// Replaces the file by the profile's text, whole or not at all; an unchanged profile writes
// nothing. False when the file could not be written, or when path is (by now) a link or
// anything but a regular file, which is left as it is.
bool write_profile(const ProfileText &profile, const QString &path);

// One key, as ProfileText::read on the file's text.
QByteArray read_profile_string(QByteArrayView section, QByteArrayView key, QByteArrayView fallback, const QString &path,
                               qsizetype buffer_size = 10240);

// One key, as ProfileText::write on the file's text, a missing file being created. False when
// the file cannot be read or written.
bool write_profile_string(QByteArrayView section, QByteArrayView key, QByteArrayView value, const QString &path);
