// SPDX-License-Identifier: GPL-3.0-or-later
#include "type_list.h"

#include "platform/regular_file.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>

namespace type_list {
namespace {

constexpr int kNumberDigits = 9; // every such number fits the window's int

bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

QByteArrayView trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && is_blank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && is_blank(text.back()))
        text.chop(1);
    return text;
}

bool is_number(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > kNumberDigits)
        return false;
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool has_control(const QString &name)
{
    return std::any_of(name.begin(), name.end(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

// One entry, already trimmed and not empty: adds it to list or says what is wrong.
QString add_entry(QByteArrayView entry, TypeList &list)
{
    const qsizetype colon = entry.indexOf(':');
    if (colon < 0)
        return QStringLiteral("\"%1\" is not number:name").arg(QString::fromUtf8(entry));
    const QByteArrayView number = trimmed(entry.first(colon));
    const QByteArrayView name = trimmed(entry.sliced(colon + 1));
    if (!is_number(number))
        return QStringLiteral("\"%1\" is not a type number of 1 to %2 digits")
            .arg(QString::fromUtf8(number))
            .arg(kNumberDigits);
    const QString text = QString::fromUtf8(name);
    if (name.isEmpty() || name.contains(':') || has_control(text))
        return QStringLiteral("type %1 needs a name without ':' or control characters").arg(QString::fromUtf8(number));
    const qint64 value = number.toByteArray().toLongLong();
    if (list.numbers.contains(value))
        return QStringLiteral("type %1 is listed twice").arg(value);
    if (!list.canonical.isEmpty())
        list.canonical += ';';
    list.canonical += QByteArray::number(value) + ':' + name.toByteArray();
    list.numbers.append(value);
    return {};
}

} // namespace

std::optional<TypeList> parse(QByteArrayView utf8, QString &error)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(utf8);
    if (decoder.hasError()) {
        error = QStringLiteral("not UTF-8 text");
        return std::nullopt;
    }
    TypeList list;
    int line = 1;
    qsizetype begin = 0;
    for (qsizetype i = 0; i <= utf8.size(); ++i) {
        const bool end = i == utf8.size();
        if (!end && utf8[i] != ';' && utf8[i] != '\n')
            continue;
        const QByteArrayView entry = trimmed(utf8.sliced(begin, i - begin));
        if (!entry.isEmpty()) {
            const QString wrong = add_entry(entry, list);
            if (!wrong.isEmpty()) {
                error = QStringLiteral("line %1: %2").arg(line).arg(wrong);
                return std::nullopt;
            }
        }
        line += !end && utf8[i] == '\n';
        begin = i + 1;
    }
    if (list.numbers.isEmpty()) {
        error = QStringLiteral("no type listed (one \"number:name\" entry at least)");
        return std::nullopt;
    }
    return list;
}

std::optional<TypeList> read(const QString &path, QString &error)
{
    QFile file;
    if (!open_regular_file(file, path)) {
        const QFileInfo info(path);
        error = !info.exists()   ? QStringLiteral("no such file")
                : !info.isFile() ? QStringLiteral("not a regular file (a pipe, a device or a folder)")
                                 : QStringLiteral("cannot be read");
        return std::nullopt;
    }
    const QByteArray text = file.read(kFileLimit + 1);
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        return std::nullopt;
    }
    if (text.size() > kFileLimit) {
        error = QStringLiteral("larger than %1 bytes").arg(kFileLimit);
        return std::nullopt;
    }
    return parse(text, error);
}

} // namespace type_list
