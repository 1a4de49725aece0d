// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QtGlobal>

// Counts the characters of a GBK text that are spoken: neither blanks (ASCII or full-width)
// nor, in SSML, markup. The pieces a text is cut into count up to what the whole text counts,
// since a cut never falls inside a tag and reopened tags are markup: the progress of a job.
class SpokenCharacters final {
public:
    explicit SpokenCharacters(bool ssml)
        : m_ssml(ssml)
    {
    }

    // Whole characters only; a tag may run on into the next call.
    void feed(QByteArrayView gbk);
    qint64 count() const { return m_count; }

    static qint64 of(QByteArrayView gbk, bool ssml);

private:
    bool m_ssml;
    bool m_in_tag = false;
    char m_quote = 0;
    qint64 m_count = 0;
};
