// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Audio through the codec library: encoded frame by frame and decoded again, with the codec's
// delay taken out so the output lines up with the input and has exactly its length.

#include "codec_library.h"

#include <cstddef>
#include <vector>

namespace speech {

class CodecStream final {
public:
    // rate 8000 (narrowband) or 16000 (wideband), quality 0..10.
    CodecStream(const CodecLibrary &library, int rate, int quality);
    ~CodecStream();
    CodecStream(const CodecStream &) = delete;
    CodecStream &operator=(const CodecStream &) = delete;

    bool valid() const { return m_codec != nullptr; }

    // Both append decoded samples to out and return false when the codec fails.
    bool process(const short *in, std::size_t count, std::vector<short> &out);
    bool finish(std::vector<short> &out);

private:
    bool run_frame(std::vector<short> &out);

    const CodecLibrary &m_library;
    LmsCodec *m_codec;
    std::size_t m_frame_samples = 0;
    std::size_t m_to_skip = 0; // decoded samples still to drop for the delay
    std::size_t m_input_total = 0;
    std::size_t m_output_total = 0;
    std::vector<short> m_frame;
    std::vector<short> m_decoded;
    std::vector<unsigned char> m_packet;
};

} // namespace speech
