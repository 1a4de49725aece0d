// SPDX-License-Identifier: GPL-3.0-or-later
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

QList<QByteArray> split_whole(EngineSplitter &splitter, QByteArrayView text)
{
    splitter.feed(text);
    splitter.finish();
    QList<QByteArray> pieces;
    while (splitter.has_piece())
        pieces.append(splitter.take_piece());
    return pieces;
}

} // namespace

qsizetype ssml_markup_end(QByteArrayView text)
{
    const auto past = [&](QByteArrayView close) {
        const qsizetype at = text.indexOf(close);
        return at < 0 ? at : at + close.size();
    };
    if (text.startsWith("<!--"))
        return past("-->");
    if (text.startsWith("<![CDATA["))
        return past("]]>");
    if (QByteArrayView("<![CDATA[").startsWith(text) || QByteArrayView("<!--").startsWith(text))
        return -1; // too short to tell yet
    if (text.size() < 2)
        return -1;
    // "a < b > c" is no tag: a name, '/', '?' or '!' comes right after the '<'.
    const char first = text[1];
    const bool tag_like = first == '/' || first == '?' || first == '!' || first == '_' || (first >= 'a' && first <= 'z')
                          || (first >= 'A' && first <= 'Z');
    if (!tag_like)
        return 0;
    char quote = 0;
    for (qsizetype i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (quote != 0) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return -1;
}

namespace {

QByteArray element_name(QByteArrayView tag)
{
    qsizetype begin = tag.startsWith("</") ? 2 : 1;
    qsizetype end = begin;
    while (end < tag.size() && !QByteArrayView(" \t\r\n/>").contains(tag[end]))
        ++end;
    return tag.sliced(begin, end - begin).toByteArray();
}

// At most room bytes of text, cut at a character boundary and not inside an entity such as
// &amp; (at least one character, so a piece always moves on).
QByteArray text_head(QByteArrayView text, qsizetype room)
{
    QByteArray head = gbk::cut(text, std::max<qsizetype>(room, 0));
    const qsizetype amp = head.lastIndexOf('&');
    if (amp > 0 && head.indexOf(';', amp) < 0)
        head.truncate(amp);
    if (head.isEmpty())
        head = text.first(std::min(text.size(), gbk::char_length(text, 0))).toByteArray();
    return head;
}

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
    return split_whole(splitter, text);
}

QList<QByteArray> split_ssml_for_engine(QByteArrayView text, qsizetype limit)
{
    SsmlSplitter splitter(limit);
    return split_whole(splitter, text);
}

std::unique_ptr<EngineSplitter> EngineSplitter::create(bool ssml, qsizetype limit)
{
    if (ssml)
        return std::make_unique<SsmlSplitter>(limit);
    return std::make_unique<PieceSplitter>(limit);
}

SsmlSplitter::SsmlSplitter(qsizetype limit)
    : m_limit(limit)
{
}

void SsmlSplitter::feed(QByteArrayView bytes)
{
    m_pending.append(bytes.data(), bytes.size());
    scan();
}

void SsmlSplitter::finish()
{
    m_finished = true;
    scan();
    flush();
}

void SsmlSplitter::scan()
{
    if (m_too_deep) {
        m_pending.clear();
        m_scanned = 0;
        return;
    }
    const QByteArrayView text = m_pending;
    qsizetype begin = 0;
    qsizetype pos = begin + m_scanned;
    while (begin < text.size()) {
        if (m_too_deep)
            break;
        if (pos == begin && text[begin] == '<') {
            // A tag longer than a piece is taken as text, so a stray '<' cannot hold the
            // whole rest of the text back.
            const QByteArrayView rest = text.sliced(begin, std::min(text.size() - begin, m_limit));
            const qsizetype end = ssml_markup_end(rest);
            if (end > 0) {
                add_markup(rest.first(end));
                begin = pos = begin + end;
                continue;
            }
            if (end < 0 && !m_finished && rest.size() < m_limit)
                break;
            ++pos;
        }
        bool unit_ended = false;
        while (pos < text.size() && (m_finished || pos + kLookahead <= text.size())) {
            if (text[pos] == '<') {
                unit_ended = true;
                break;
            }
            const qsizetype len = gbk::char_length(text, pos);
            pos += len;
            if (ends_sentence(text, pos - len, len)) {
                unit_ended = true;
                break;
            }
        }
        if (unit_ended || (m_finished && pos >= text.size())) {
            add_text(text.sliced(begin, pos - begin));
            begin = pos;
            continue;
        }
        // A sentence already longer than a piece is cut the same way whatever follows.
        if (pos - begin > m_limit + kLookahead) {
            if (has_body())
                flush();
            begin += add_text_head(text.sliced(begin, pos - begin));
            pos = std::max(pos, begin);
            continue;
        }
        break;
    }
    m_scanned = pos - begin;
    m_pending.remove(0, begin);
}

void SsmlSplitter::add_markup(QByteArrayView markup)
{
    enum class Kind { Other, Start, End } kind = Kind::Other;
    if (markup.startsWith("</"))
        kind = Kind::End;
    else if (!markup.startsWith("<!") && !markup.startsWith("<?") && !markup.endsWith("/>"))
        kind = Kind::Start;
    const QByteArray name = kind == Kind::Other ? QByteArray() : element_name(markup);
    qsizetype closing_after = m_closing_size;
    if (kind == Kind::Start)
        closing_after += name.size() + 3;
    const qsizetype open_at = kind == Kind::End ? m_open_names.lastIndexOf(name) : -1;
    for (qsizetype i = std::max<qsizetype>(open_at, 0); open_at >= 0 && i < m_open_names.size(); ++i)
        closing_after -= m_open_names[i].size() + 3;

    if (kind == Kind::Start) {
        // Every piece reopens the open elements and closes them: they must leave room for text.
        qsizetype reopened = m_prolog.size() + markup.size() + closing_after;
        for (const QByteArray &tag : m_open_tags)
            reopened += tag.size();
        if (reopened > m_limit - std::max<qsizetype>(8, m_limit / 16)) {
            m_too_deep = true;
            return;
        }
    }
    if (m_piece.size() + markup.size() + closing_after > m_limit && has_body())
        flush();
    m_piece += markup;
    if (!m_root_seen && kind == Kind::Other && (markup.startsWith("<?") || markup.startsWith("<!DOCTYPE")))
        m_prolog += markup;
    if (kind == Kind::Start) {
        m_root_seen = true;
        m_open_tags.append(markup.toByteArray());
        m_open_names.append(name);
    } else if (open_at >= 0) {
        m_open_tags.resize(open_at);
        m_open_names.resize(open_at);
    }
    m_closing_size = closing_after;
}

void SsmlSplitter::add_text(QByteArrayView text)
{
    if (!fits(text.size()) && has_body())
        flush();
    while (!text.isEmpty() && !fits(text.size()))
        text = text.sliced(add_text_head(text));
    m_piece += text;
    m_piece_speaks = m_piece_speaks || says_something(text);
}

qsizetype SsmlSplitter::add_text_head(QByteArrayView text)
{
    const QByteArray head = text_head(text, m_limit - m_piece.size() - m_closing_size);
    m_piece += head;
    m_piece_speaks = m_piece_speaks || says_something(head);
    flush();
    return head.size();
}

void SsmlSplitter::flush()
{
    if (m_piece_speaks) {
        QByteArray piece = std::exchange(m_piece, {});
        for (qsizetype i = m_open_names.size() - 1; i >= 0; --i)
            piece += "</" + m_open_names[i] + '>';
        m_ready.append(std::move(piece));
    }
    m_piece = m_prolog + m_open_tags.join();
    m_opening_size = m_piece.size();
    m_piece_speaks = false;
}
