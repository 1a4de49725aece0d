// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The codec library named by coding_libs, loaded with dlopen.

#include "lms_codec.h"

#include <memory>
#include <string>

namespace speech {

class CodecLibrary final {
public:
    // A name with '/' is loaded as given; otherwise from own_folder first, then by plain name
    // through the normal library search. nullptr when it cannot be loaded, lacks a function or
    // reports another major version.
    static std::unique_ptr<CodecLibrary> load(const std::string &name, const std::string &own_folder);

    ~CodecLibrary();
    CodecLibrary(const CodecLibrary &) = delete;
    CodecLibrary &operator=(const CodecLibrary &) = delete;

    std::string version() const { return m_version(); }

    LmsCodecOpenFunc open = nullptr;
    LmsCodecFrameSamplesFunc frame_samples = nullptr;
    LmsCodecDelaySamplesFunc delay_samples = nullptr;
    LmsCodecEncodeFunc encode = nullptr;
    LmsCodecDecodeFunc decode = nullptr;
    LmsCodecCloseFunc close = nullptr;

private:
    explicit CodecLibrary(void *handle)
        : m_handle(handle)
    {
    }
    bool resolve();

    void *m_handle;
    LmsCodecVersionFunc m_version = nullptr;
};

} // namespace speech
