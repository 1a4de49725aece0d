// SPDX-License-Identifier: GPL-3.0-or-later
#include "say/spoken_characters.h"

#include "platform/gbk.h"

void SpokenCharacters::feed(QByteArrayView gbk)
{
    for (qsizetype pos = 0; pos < gbk.size();) {
        const qsizetype length = gbk::char_length(gbk, pos);
        const char c = gbk[pos];
        pos += length;
        if (m_in_tag) {
            // A quoted attribute value may hold '>'.
            if (m_quote != 0 && c == m_quote)
                m_quote = 0;
            else if (m_quote == 0 && (c == '"' || c == '\''))
                m_quote = c;
            else if (m_quote == 0 && c == '>')
                m_in_tag = false;
            continue;
        }
        if (m_ssml && c == '<') {
            m_in_tag = true;
            continue;
        }
        const bool blank = length == 1 ? (c == ' ' || c == '\t' || c == '\r' || c == '\n')
                                       : length == 2 && gbk.sliced(pos - 2, 2) == QByteArrayView("\xA1\xA1");
        if (!blank)
            ++m_count;
    }
}

qint64 SpokenCharacters::of(QByteArrayView gbk, bool ssml)
{
    SpokenCharacters counter(ssml);
    counter.feed(gbk);
    return counter.count();
}
