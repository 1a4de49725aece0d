// SPDX-License-Identifier: GPL-3.0-or-later
#include "punctuation_names.h"

#include <QString>

namespace {

enum class Level { None, Some, Most, All };

struct Name {
    char16_t mark;
    Level level;
    const char *chinese;
    const char *english;
};

constexpr Name kNames[] = {
    {u'@', Level::Some, "艾特", "at"},
    {u'#', Level::Some, "井号", "hash"},
    {u'$', Level::Some, "美元", "dollar"},
    {u'%', Level::Some, "百分号", "percent"},
    {u'^', Level::Some, "脱字符", "caret"},
    {u'&', Level::Some, "和号", "and"},
    {u'*', Level::Some, "星号", "star"},
    {u'+', Level::Some, "加号", "plus"},
    {u'=', Level::Some, "等号", "equals"},
    {u'/', Level::Some, "斜杠", "slash"},
    {u'\\', Level::Some, "反斜杠", "backslash"},
    {u'_', Level::Some, "下划线", "underscore"},
    {u'~', Level::Some, "波浪号", "tilde"},
    {u'|', Level::Some, "竖线", "bar"},
    {u'<', Level::Some, "小于", "less than"},
    {u'>', Level::Some, "大于", "greater than"},
    {u'`', Level::Some, "反引号", "backtick"},
    {u'(', Level::Most, "左括号", "left paren"},
    {u')', Level::Most, "右括号", "right paren"},
    {u'（', Level::Most, "左括号", "left paren"},
    {u'）', Level::Most, "右括号", "right paren"},
    {u'[', Level::Most, "左方括号", "left bracket"},
    {u']', Level::Most, "右方括号", "right bracket"},
    {u'{', Level::Most, "左花括号", "left brace"},
    {u'}', Level::Most, "右花括号", "right brace"},
    {u'《', Level::Most, "左书名号", "left title mark"},
    {u'》', Level::Most, "右书名号", "right title mark"},
    {u'"', Level::Most, "引号", "quote"},
    {u'“', Level::Most, "左引号", "left quote"},
    {u'”', Level::Most, "右引号", "right quote"},
    {u'‘', Level::Most, "左单引号", "left single quote"},
    {u'’', Level::Most, "右单引号", "right single quote"},
    {u'-', Level::Most, "减号", "dash"},
    {u'—', Level::Most, "破折号", "dash"},
    {u'…', Level::Most, "省略号", "ellipsis"},
    {u',', Level::All, "逗号", "comma"},
    {u'，', Level::All, "逗号", "comma"},
    {u'、', Level::All, "顿号", "comma"},
    {u'.', Level::All, "点", "dot"},
    {u'。', Level::All, "句号", "period"},
    {u'!', Level::All, "叹号", "exclamation"},
    {u'！', Level::All, "叹号", "exclamation"},
    {u'?', Level::All, "问号", "question"},
    {u'？', Level::All, "问号", "question"},
    {u';', Level::All, "分号", "semicolon"},
    {u'；', Level::All, "分号", "semicolon"},
    {u':', Level::All, "冒号", "colon"},
    {u'：', Level::All, "冒号", "colon"},
    {u'\'', Level::All, "撇号", "apostrophe"},
};

const Name *name_of(QChar c, Level level)
{
    for (const Name &name : kNames) {
        if (name.mark == c.unicode())
            return static_cast<int>(name.level) <= static_cast<int>(level) ? &name : nullptr;
    }
    return nullptr;
}

// The entities a text may carry for markup characters.
QString decoded(QByteArrayView text)
{
    QString out = QString::fromUtf8(text);
    out.replace(QStringLiteral("&lt;"), QStringLiteral("<")).replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    out.replace(QStringLiteral("&quot;"), QStringLiteral("\"")).replace(QStringLiteral("&apos;"), QStringLiteral("'"));
    return out.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
}

QByteArray named_text(QByteArrayView text, Level level, bool chinese)
{
    const QString chars = decoded(text);
    QByteArray out;
    for (qsizetype i = 0; i < chars.size(); ++i) {
        const QChar c = chars[i];
        if (const Name *name = name_of(c, level)) {
            out += ' ';
            out += chinese ? name->chinese : name->english;
            out += ' ';
        } else if (c == u'<' || c == u'>' || c == u'&') {
            out += c == u'<' ? "&lt;" : c == u'>' ? "&gt;" : "&amp;";
        } else {
            // A character outside the basic plane stays whole.
            const qsizetype length = c.isHighSurrogate() && i + 1 < chars.size() ? 2 : 1;
            out += chars.sliced(i, length).toUtf8();
            i += length - 1;
        }
    }
    return out;
}

} // namespace

QByteArray name_punctuation(QByteArrayView ssml, QByteArrayView mode, bool chinese)
{
    const Level level = mode == QByteArrayView("all")    ? Level::All
                        : mode == QByteArrayView("most") ? Level::Most
                        : mode == QByteArrayView("some") ? Level::Some
                                                         : Level::None;
    if (level == Level::None)
        return QByteArray(ssml.data(), ssml.size());
    QByteArray out;
    qsizetype at = 0;
    while (at < ssml.size()) {
        const qsizetype lt = ssml.indexOf('<', at);
        const qsizetype text_end = lt < 0 ? ssml.size() : lt;
        out += named_text(ssml.sliced(at, text_end - at), level, chinese);
        if (lt < 0)
            break;
        const qsizetype gt = ssml.indexOf('>', lt);
        at = gt < 0 ? ssml.size() : gt + 1;
        out += ssml.sliced(lt, at - lt);
    }
    return out;
}
