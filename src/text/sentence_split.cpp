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

// Lookahead a character and a following full stop need: a four-byte character and one more.
constexpr qsizetype kLookahead = 5;

} // namespace

PieceSplitter::PieceSplitter(qsizetype limit)
    : m_limit(limit)
{
}

void PieceSplitter::feed(QByteArrayView bytes)
{
    m_pending.append(bytes.data(), bytes.size());
    scan();
}

void PieceSplitter::finish()
{
    m_finished = true;
    scan();
    if (!m_pending.isEmpty())
        add_sentence(std::exchange(m_pending, {}));
    flush();
}

void PieceSplitter::scan()
{
    qsizetype begin = 0;
    qsizetype pos = m_scanned;
    while (pos < m_pending.size() && (m_finished || pos + kLookahead <= m_pending.size())) {
        const qsizetype len = gbk::char_length(m_pending, pos);
        pos += len;
        if (ends_sentence(m_pending, pos - len, len)) {
            add_sentence(m_pending.sliced(begin, pos - begin));
            begin = pos;
        }
    }
    m_pending.remove(0, begin);
    m_scanned = pos - begin;
    // A sentence already longer than the limit is cut the same way whatever follows, so its
    // head need not wait for the sentence to end.
    while (!m_finished && m_scanned > m_limit + kLookahead) {
        flush();
        QByteArray head = gbk::cut(m_pending, m_limit);
        if (head.isEmpty())
            head = m_pending.left(m_limit);
        m_pending.remove(0, head.size());
        m_scanned -= head.size();
        m_current = std::move(head);
        flush();
    }
}

void PieceSplitter::add_sentence(QByteArray sentence)
{
    if (m_current.size() + sentence.size() > m_limit)
        flush();
    while (sentence.size() > m_limit) {
        const QByteArray head = gbk::cut(sentence, m_limit);
        m_current = head.isEmpty() ? sentence.left(m_limit) : head;
        sentence.remove(0, m_current.size());
        flush();
    }
    m_current += sentence;
}

void PieceSplitter::flush()
{
    if (says_something(m_current))
        m_ready.append(m_current);
    m_current.clear();
}

QList<QByteArray> split_for_engine(QByteArrayView text, qsizetype limit)
{
    PieceSplitter splitter(limit);
    splitter.feed(text);
    splitter.finish();
    QList<QByteArray> pieces;
    while (splitter.has_piece())
        pieces.append(splitter.take_piece());
    return pieces;
}
