// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <memory>

// Splits a GBK text into pieces of at most limit bytes for an engine that takes no more at
// once. Pieces end at sentence ends (。！？； . ! ? ; and line breaks) where possible; a
// sentence longer than the limit is cut at a character boundary. Pieces with nothing to say
// (only spaces and line breaks) are left out; joined, the others give the rest of the text.
QList<QByteArray> split_for_engine(QByteArrayView text, qsizetype limit);

// The same for an SSML document: pieces are cut only between elements or at sentence ends in
// their text, never inside a tag, and each is a document of its own: it begins by reopening
// the elements open at its start (with the declarations before the root) and ends by closing
// those still open, so every piece keeps the voice, prosody and emphasis it stood in.
QList<QByteArray> split_ssml_for_engine(QByteArrayView text, qsizetype limit);

// Where the markup (tag, comment, CDATA section, declaration) at the start of an SSML text
// ends, just past it; 0 when the '<' there opens none ("a < b > c"), and -1 when the text
// ends before it does. Quoted attribute values may hold '>'.
qsizetype ssml_markup_end(QByteArrayView text);

// Splits a text that arrives in parts (a file read block by block, a pipe): the pieces are
// exactly those the whole text gives, each handed out as soon as no later byte can change it.
// Memory stays within a few pieces whatever the text's length.
class EngineSplitter {
public:
    virtual ~EngineSplitter() = default;

    virtual void feed(QByteArrayView bytes) = 0;
    // The text has ended: what is left becomes the last pieces.
    virtual void finish() = 0;

    bool has_piece() const { return !m_ready.isEmpty(); }
    QByteArray take_piece() { return m_ready.takeFirst(); }
    // The text cannot be cut into pieces: SSML whose open elements, reopened at the start of
    // each piece, would leave less than a sixteenth of it (and
    // at least 8 bytes) for the text. The rest is ignored.
    bool too_deep() const { return m_too_deep; }

    static std::unique_ptr<EngineSplitter> create(bool ssml, qsizetype limit);

protected:
    QList<QByteArray> m_ready;
    bool m_too_deep = false;
};

class PieceSplitter final : public EngineSplitter {
public:
    explicit PieceSplitter(qsizetype limit);

    void feed(QByteArrayView bytes) override;
    void finish() override;

private:
    void scan();
    void add_sentence(QByteArray sentence);
    void flush();

    qsizetype m_limit;
    QByteArray m_pending; // bytes not yet known to end a sentence
    qsizetype m_scanned = 0;
    QByteArray m_current; // whole sentences packed into the next piece
    bool m_finished = false;
};

class SsmlSplitter final : public EngineSplitter {
public:
    explicit SsmlSplitter(qsizetype limit);

    void feed(QByteArrayView bytes) override;
    void finish() override;

private:
    void scan();
    void add_markup(QByteArrayView markup);
    void add_text(QByteArrayView text);
    // Fills the piece with the head of a text too long for it and hands the piece out.
    qsizetype add_text_head(QByteArrayView text);
    bool fits(qsizetype more) const { return m_piece.size() + more + m_closing_size <= m_limit; }
    bool has_body() const { return m_piece.size() > m_opening_size; }
    void flush();

    qsizetype m_limit;
    QByteArray m_pending; // bytes not yet taken into a piece
    qsizetype m_scanned = 0;
    QByteArray m_prolog;           // declarations before the root element
    QList<QByteArray> m_open_tags; // start tags of the elements open here, outermost first
    QList<QByteArray> m_open_names;
    qsizetype m_closing_size = 0; // bytes the end tags of the open elements take
    QByteArray m_piece;           // the reopened elements, then what followed them
    qsizetype m_opening_size = 0;
    bool m_piece_speaks = false;
    bool m_root_seen = false;
    bool m_finished = false;
};
