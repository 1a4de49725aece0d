// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/unresolved_operation.h"

#include <cstdio>
#include <cstdlib>

void end_with_unresolved_operation(const char *library, const char *operation, const FatalHandler &show)
{
    const QString caption = QStringLiteral("运行时出错!");
    const QString text = QStringLiteral("错误信息：\n无法找到指定DLL库文件“%1”中的输出命令“%2”")
                             .arg(QString::fromLatin1(library), QString::fromLatin1(operation));
    std::fprintf(stderr, "%s\n%s\n", caption.toUtf8().constData(), text.toUtf8().constData());
    std::fflush(stderr);
    if (show)
        show(caption, text);
    std::exit(-1);
}
