// SPDX-License-Identifier: GPL-3.0-or-later
#include "say/batch_protocol.h"

#include "platform/fd_io.h"

#include <QtEndian>

namespace batch_protocol {
namespace {

QByteArray framed(qint32 head, QByteArrayView body)
{
    QByteArray out(4, Qt::Uninitialized);
    qToLittleEndian(head, out.data());
    out.append(body.data(), body.size());
    return out;
}

bool read_number(int fd, qint32 &value)
{
    char bytes[4];
    if (!fd_io::read_exact(fd, bytes, 4))
        return false;
    value = qFromLittleEndian<qint32>(bytes);
    return true;
}

bool read_body(int fd, qint32 length, QByteArray &out)
{
    if (length < 0 || length > kMaxFrame)
        return false;
    out.resize(length);
    return fd_io::read_exact(fd, out.data(), length);
}

} // namespace

QByteArray batch_frame(QByteArrayView pieces)
{
    return framed(static_cast<qint32>(pieces.size()), pieces);
}

QByteArray audio_frame(QByteArrayView audio)
{
    return framed(static_cast<qint32>(audio.size()), audio);
}

QByteArray end_frame(qint32 result)
{
    QByteArray out(8, Qt::Uninitialized);
    qToLittleEndian<qint32>(0, out.data());
    qToLittleEndian(result, out.data() + 4);
    return out;
}

bool read_batch(int fd, QByteArray &pieces)
{
    qint32 length = 0;
    return read_number(fd, length) && read_body(fd, length, pieces);
}

Reply read_reply(int fd, QByteArray &audio, qint32 &result)
{
    qint32 length = 0;
    if (!read_number(fd, length))
        return Reply::Broken;
    if (length == 0)
        return read_number(fd, result) ? Reply::End : Reply::Broken;
    return read_body(fd, length, audio) ? Reply::Audio : Reply::Broken;
}

} // namespace batch_protocol
