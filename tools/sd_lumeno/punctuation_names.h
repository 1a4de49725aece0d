// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Punctuation read aloud, as Speech Dispatcher's punctuation mode asks: "some" names the
// symbols (@ # % & * + = / \ _ ~ | < > ...), "most" also brackets, quotes and dashes, "all"
// every punctuation mark including commas and full stops; "none" leaves the text alone (the
// marks are heard as pauses). Works on the text of an SSML document (UTF-8), never on its
// markup; names are Chinese for the Chinese voices, English otherwise.
QByteArray name_punctuation(QByteArrayView ssml, QByteArrayView mode, bool chinese);
