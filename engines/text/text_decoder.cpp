// SPDX-License-Identifier: GPL-3.0-or-later
#include "text_decoder.h"

#include "utf8.h"

#include <array>
#include <cerrno>
#include <iconv.h>

namespace speech {
namespace {

class Iconv final {
public:
    explicit Iconv(const char *from)
        : m_handle(iconv_open("UTF-32LE", from))
    {
    }
    ~Iconv()
    {
        if (valid())
            iconv_close(m_handle);
    }
    Iconv(const Iconv &) = delete;
    Iconv &operator=(const Iconv &) = delete;

    bool valid() const { return m_handle != reinterpret_cast<iconv_t>(-1); }
    iconv_t handle() const { return m_handle; }

private:
    iconv_t m_handle;
};

void append_space_once(std::u32string &out)
{
    if (out.empty() || out.back() != U' ')
        out.push_back(U' ');
}

// unit: the size of one code unit, the step by which an invalid sequence is skipped.
std::u32string convert(std::string_view bytes, const char *from, std::size_t unit)
{
    std::u32string out;
    Iconv converter(from);
    if (!converter.valid())
        return out;
    out.reserve(bytes.size());

    // iconv's input pointer is non-const for historical reasons; it never writes through it.
    char *in = const_cast<char *>(bytes.data());
    std::size_t in_left = bytes.size();
    std::array<char, 4096> buffer{};
    while (in_left > 0) {
        char *out_ptr = buffer.data();
        std::size_t out_left = buffer.size();
        const std::size_t result = iconv(converter.handle(), &in, &in_left, &out_ptr, &out_left);
        const int error = result == static_cast<std::size_t>(-1) ? errno : 0;
        const std::size_t produced = buffer.size() - out_left;
        for (std::size_t i = 0; i + 4 <= produced; i += 4) {
            const auto byte = [&](std::size_t k) {
                return static_cast<char32_t>(static_cast<unsigned char>(buffer[i + k]));
            };
            out.push_back(byte(0) | (byte(1) << 8) | (byte(2) << 16) | (byte(3) << 24));
        }
        if (error == EILSEQ || error == EINVAL) {
            // EINVAL is a sequence cut off by the end of the text: skipped like a bad one.
            const std::size_t skip = in_left < unit ? in_left : unit;
            in += skip;
            in_left -= skip;
            append_space_once(out);
            iconv(converter.handle(), nullptr, nullptr, nullptr, nullptr);
        } else if (error != 0 && error != E2BIG) {
            break;
        }
    }
    return out;
}

void clean_controls(std::u32string &text)
{
    for (char32_t &c : text) {
        const bool kept = c == U'\t' || c == U'\n' || c == U'\r';
        if (!kept && (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)))
            c = U' ';
    }
}

} // namespace

std::u32string decode_text(std::string_view bytes, TextEncoding encoding)
{
    if (encoding == TextEncoding::Auto)
        encoding = is_valid_utf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Gb18030;

    std::u32string text;
    switch (encoding) {
    case TextEncoding::Utf8:
        for (char32_t c : utf8_to_u32(bytes)) {
            if (c == U'\uFFFD')
                append_space_once(text);
            else
                text.push_back(c);
        }
        break;
    case TextEncoding::Unicode:
        text = convert(bytes, "UTF-16LE", 2);
        break;
    case TextEncoding::Big5:
        text = convert(bytes, "BIG5", 1);
        break;
    case TextEncoding::Auto:
    case TextEncoding::Gb2312:
    case TextEncoding::Gbk:
    case TextEncoding::Gb18030:
        text = convert(bytes, "GB18030", 1);
        break;
    }
    if (!text.empty() && text.front() == U'\uFEFF')
        text.erase(0, 1);
    clean_controls(text);
    return text;
}

} // namespace speech
