#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// Splits a GBK text into pieces of at most limit bytes for an engine that takes no more at
// once. Pieces end at sentence ends (。！？； . ! ? ; and line breaks) where possible; a
// sentence longer than the limit is cut at a character boundary. Pieces with nothing to say
// (only spaces and line breaks) are left out; joined, the others give the rest of the text.
QList<QByteArray> split_for_engine(QByteArrayView text, qsizetype limit);

// The same split for a text that arrives in parts (a file read block by block, a pipe): the
// pieces are exactly those split_for_engine gives for the whole text, each handed out as soon
// as no later byte can change it. Memory stays within a few pieces whatever the text's length.
class PieceSplitter final {
public:
    explicit PieceSplitter(qsizetype limit);

    void feed(QByteArrayView bytes);
    // The text has ended: what is left becomes the last pieces.
    void finish();

    bool has_piece() const { return !m_ready.isEmpty(); }
    QByteArray take_piece() { return m_ready.takeFirst(); }

private:
    void scan();
    void add_sentence(QByteArray sentence);
    void flush();

    qsizetype m_limit;
    QByteArray m_pending; // bytes not yet known to end a sentence
    qsizetype m_scanned = 0;
    QByteArray m_current; // whole sentences packed into the next piece
    QList<QByteArray> m_ready;
    bool m_finished = false;
};
