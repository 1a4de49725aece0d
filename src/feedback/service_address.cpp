// SPDX-License-Identifier: GPL-3.0-or-later
#include "feedback/service_address.h"

namespace feedback {
namespace {

const QString kOption = QStringLiteral("--feedback-url");
const QString kVariable = QStringLiteral("LUMENO_FEEDBACK_URL");

QString from_arguments(const QStringList &arguments)
{
    const QString prefixed = kOption + u'=';
    // The first entry is the program itself.
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == kOption && i + 1 < arguments.size())
            return arguments[i + 1];
        if (arguments[i].startsWith(prefixed))
            return arguments[i].mid(prefixed.size());
    }
    return {};
}

} // namespace

QUrl service_address(const QStringList &arguments, const QProcessEnvironment &environment)
{
    QString text = from_arguments(arguments);
    if (text.isEmpty())
        text = environment.value(kVariable);
    if (text.isEmpty())
        text = QStringLiteral(LUMENO_FEEDBACK_URL);
    return QUrl(text.trimmed(), QUrl::StrictMode);
}

QUrl endpoint(const QUrl &base, const char *path)
{
    QUrl url = base;
    QString prefix = base.path();
    while (prefix.endsWith(u'/'))
        prefix.chop(1);
    url.setPath(prefix + QString::fromLatin1(path));
    return url;
}

} // namespace feedback
