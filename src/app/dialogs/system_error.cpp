// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/system_error.h"

#include <QDir>
#include <cerrno>
#include <cstring>

namespace {

struct ErrorText {
    int error;
    const char16_t *text;
};

// The wording of the C library's own Chinese messages.
constexpr ErrorText kTexts[] = {
    {EACCES, u"权限不够"},       {EPERM, u"不允许的操作"},          {ENOENT, u"没有那个文件或目录"},
    {ENOTDIR, u"不是目录"},      {EISDIR, u"是一个目录"},           {EROFS, u"只读文件系统"},
    {ENOSPC, u"设备上没有空间"}, {EDQUOT, u"超出磁盘限额"},         {EFBIG, u"文件过大"},
    {EIO, u"输入/输出错误"},     {ENAMETOOLONG, u"文件名过长"},     {ELOOP, u"符号连接的层数过多"},
    {EBUSY, u"设备或资源忙"},    {ETXTBSY, u"文本文件忙"},          {ENOMEM, u"无法分配内存"},
    {EMFILE, u"打开的文件过多"}, {ENFILE, u"系统中打开的文件过多"}, {ENXIO, u"没有那个设备或地址"},
    {EPIPE, u"断开的管道"},      {EINVAL, u"无效的参数"},           {EXDEV, u"无效的跨设备链接"},
};

} // namespace

QString system_error_text(int error)
{
    for (const ErrorText &known : kTexts) {
        if (known.error == error)
            return QString::fromUtf16(known.text);
    }
    if (error == 0)
        return QStringLiteral("未知错误");
    char buffer[256] = {};
    // The GNU strerror_r may return a static text instead of filling the buffer.
    const char *text = strerror_r(error, buffer, sizeof buffer);
    return QString::fromLocal8Bit(text);
}

QString file_failure_message(const QString &what, const QString &path, const QString &why)
{
    return what + u'：' + QDir::toNativeSeparators(path) + u'（' + why + u'）';
}
