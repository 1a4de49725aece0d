// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/text/text_area.h"

#include <QString>

// The "输入文本" group: the text box, its byte limit and count label, import, paste, clear.
class TextPanel final {
public:
    explicit TextPanel(const TextArea &area);

    // Content-changed handler of the text box: cuts the text to the limit, refreshes the count.
    void update_count();
    void paste();
    void clear();
    void import_txt();
    // The import without the dialog: a file dropped on the text box.
    void import_file(const QString &path);

private:
    const TextArea &m_area;
};
