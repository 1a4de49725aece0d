// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Turns the bytes given to QTTSTextPut into Unicode, by the session's text encoding.

#include <string>
#include <string_view>

namespace speech {

enum class TextEncoding { Auto, Gb2312, Gbk, Big5, Unicode, Gb18030, Utf8 };

// Never fails: each run of bytes that are invalid in the encoding becomes one space, and
// control characters other than tab, line feed and carriage return become spaces too. A
// leading byte order mark is dropped. AUTO reads UTF-8 when the bytes are valid UTF-8 and
// GB18030 otherwise; GB2312 and GBK are read as their superset GB18030; UNICODE is UTF-16LE.
// AUTO is the program's user-text rule (src/text/text_to_gbk.h) less two parts, as the engine may
// not include the program: UTF-16 comes only by the UNICODE setting, never by a byte order mark,
// and control characters become spaces instead of ending the text, since QTTSTextPut never fails
// on a text's content.
std::u32string decode_text(std::string_view bytes, TextEncoding encoding);

} // namespace speech
