#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// Splits a GBK text into pieces of at most limit bytes for an engine that takes no more at
// once. Pieces end at sentence ends (。！？； . ! ? ; and line breaks) where possible; a
// sentence longer than the limit is cut at a character boundary. Pieces with nothing to say
// (only spaces and line breaks) are left out; joined, the others give the rest of the text.
QList<QByteArray> split_for_engine(QByteArrayView text, qsizetype limit);
