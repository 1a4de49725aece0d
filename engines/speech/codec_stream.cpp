// SPDX-License-Identifier: GPL-3.0-or-later
#include "codec_stream.h"

namespace speech {

CodecStream::CodecStream(const CodecLibrary &library, int rate, int quality)
    : m_library(library)
    , m_codec(library.open(rate, quality))
{
    if (m_codec == nullptr)
        return;
    const int frame = library.frame_samples(m_codec);
    const int delay = library.delay_samples(m_codec);
    if (frame <= 0 || delay < 0) {
        library.close(m_codec);
        m_codec = nullptr;
        return;
    }
    m_frame_samples = static_cast<std::size_t>(frame);
    m_to_skip = static_cast<std::size_t>(delay);
    m_frame.reserve(m_frame_samples);
    m_decoded.resize(m_frame_samples);
    m_packet.resize(2048);
}

CodecStream::~CodecStream()
{
    if (m_codec != nullptr)
        m_library.close(m_codec);
}

bool CodecStream::run_frame(std::vector<short> &out)
{
    const int bytes = m_library.encode(m_codec, m_frame.data(), m_packet.data(), static_cast<int>(m_packet.size()));
    if (bytes <= 0 || m_library.decode(m_codec, m_packet.data(), bytes, m_decoded.data()) != 0)
        return false;
    m_frame.clear();
    std::size_t start = 0;
    if (m_to_skip > 0) {
        start = m_to_skip < m_frame_samples ? m_to_skip : m_frame_samples;
        m_to_skip -= start;
    }
    const std::size_t wanted = m_input_total - m_output_total;
    std::size_t count = m_frame_samples - start;
    if (count > wanted)
        count = wanted;
    out.insert(out.end(), m_decoded.begin() + static_cast<std::ptrdiff_t>(start),
               m_decoded.begin() + static_cast<std::ptrdiff_t>(start + count));
    m_output_total += count;
    return true;
}

bool CodecStream::process(const short *in, std::size_t count, std::vector<short> &out)
{
    if (m_codec == nullptr)
        return false;
    m_input_total += count;
    for (std::size_t i = 0; i < count; ++i) {
        m_frame.push_back(in[i]);
        if (m_frame.size() == m_frame_samples && !run_frame(out))
            return false;
    }
    return true;
}

bool CodecStream::finish(std::vector<short> &out)
{
    if (m_codec == nullptr)
        return false;
    // Silence pushes the delayed tail out; the output stops at the input's length.
    while (m_output_total < m_input_total) {
        m_frame.resize(m_frame_samples, 0);
        if (!run_frame(out))
            return false;
    }
    return true;
}

} // namespace speech
