#pragma once

// Reading and writing single keys of an INI file, one call per key, with the rules of the
// Windows profile functions the settings file was designed around. Names and values are GBK
// byte strings; the file is never decoded as a whole.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The value of key in section, or fallback (less its trailing spaces) when the file, the
// section or the key is missing. Section and key names are matched ignoring ASCII letter case
// and the blanks around them; only the first section of a name is consulted, and in it the
// first line of the key. Blanks around the value and one pair of matching enclosing quotes
// (single or double) are dropped. At most buffer_size - 1 bytes come back, as with a
// zero-terminated buffer of that size.
QByteArray read_profile_string(QByteArrayView section, QByteArrayView key, QByteArrayView fallback, const QString &path,
                               qsizetype buffer_size = 10240);

// Sets key=value in section. An existing key line is rewritten in place; a missing key goes
// after the last key line of its section, a missing section at the end of the file, a missing
// file is created. Every other byte of the file stays as it was. The file is replaced whole or
// not at all; false when it cannot be read or written (including a read-only file).
bool write_profile_string(QByteArrayView section, QByteArrayView key, QByteArrayView value, const QString &path);
