// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The text behind QTTSTextReading: what a Mandarin voice will say, as tone-numbered pinyin.

#include <string>
#include <string_view>

namespace speech {

// params: a session parameter text (vcn, tte and rdn matter). On success fills `reading`
// (UTF-8) and returns 0, else the QTTS error code of a bad parameter text.
int text_reading(const char *params, std::string_view text, std::string &reading);

} // namespace speech
