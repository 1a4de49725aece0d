#include "text/sentence_split.h"

#include "platform/gbk.h"

namespace {

bool is_full_width_end(QByteArrayView ch)
{
    static constexpr QByteArrayView ends[] = {"\xA1\xA3", "\xA3\xA1", "\xA3\xBF", "\xA3\xBB"}; // 。！？；
    for (QByteArrayView end : ends) {
        if (ch == end)
            return true;
    }
    return false;
}

// True when the character at pos ends a sentence. A full stop only counts before a space or
// the end, so "3.14" and "example.org" stay whole.
bool ends_sentence(QByteArrayView text, qsizetype pos, qsizetype len)
{
    if (len == 2)
        return is_full_width_end(text.sliced(pos, 2));
    if (len != 1)
        return false;
    const char c = text[pos];
    if (c == '\n' || c == '!' || c == '?' || c == ';')
        return true;
    if (c == '.') {
        const qsizetype next = pos + 1;
        return next >= text.size() || text[next] == ' ' || text[next] == '\r' || text[next] == '\n'
               || text[next] == '\t';
    }
    return false;
}

bool says_something(QByteArrayView piece)
{
    for (char c : piece) {
        if (c != ' ' && c != '\r' && c != '\n' && c != '\t')
            return gbk::remove_spaces(piece).size() > 0;
    }
    return false;
}

QList<QByteArray> sentences(QByteArrayView text)
{
    QList<QByteArray> out;
    qsizetype begin = 0;
    for (qsizetype pos = 0; pos < text.size();) {
        const qsizetype len = gbk::char_length(text, pos);
        pos += len;
        if (ends_sentence(text, pos - len, len)) {
            out.append(text.sliced(begin, pos - begin).toByteArray());
            begin = pos;
        }
    }
    if (begin < text.size())
        out.append(text.sliced(begin).toByteArray());
    return out;
}

} // namespace

QList<QByteArray> split_for_engine(QByteArrayView text, qsizetype limit)
{
    QList<QByteArray> pieces;
    QByteArray current;
    const auto flush = [&] {
        if (says_something(current))
            pieces.append(current);
        current.clear();
    };
    for (QByteArray sentence : sentences(text)) {
        if (current.size() + sentence.size() > limit)
            flush();
        while (sentence.size() > limit) {
            const QByteArray head = gbk::cut(sentence, limit);
            current = head.isEmpty() ? sentence.left(limit) : head;
            sentence.remove(0, current.size());
            flush();
        }
        current += sentence;
    }
    flush();
    return pieces;
}
