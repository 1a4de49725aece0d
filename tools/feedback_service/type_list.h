// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <optional>

// The operator's list of feedback types. The file holds "number:name" entries separated by ';'
// or line breaks, with blanks around entries, numbers and names ignored; the service serves
// it in the one form the window reads, "number:name;number:name".
struct TypeList {
    QByteArray canonical;
    QList<qint64> numbers;
};

namespace type_list {

// A type list file larger than this is not a type list.
inline constexpr qint64 kFileLimit = 64 * 1024;

// The list, or nothing with error naming the line and what is wrong with it.
std::optional<TypeList> parse(QByteArrayView utf8, QString &error);

// Reads and parses path: a regular file (or a link to one) of at most kFileLimit bytes.
std::optional<TypeList> read(const QString &path, QString &error);

} // namespace type_list
