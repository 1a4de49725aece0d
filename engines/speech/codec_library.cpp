// SPDX-License-Identifier: GPL-3.0-or-later
#include "codec_library.h"

#include <cstring>
#include <dlfcn.h>

namespace speech {
namespace {

template <typename F> bool resolve_one(void *handle, const char *name, F &function)
{
    // POSIX guarantees that a data pointer from dlsym converts to a function pointer.
    function = reinterpret_cast<F>(dlsym(handle, name));
    return function != nullptr;
}

void *open_library(const std::string &name, const std::string &own_folder)
{
    if (name.find('/') != std::string::npos)
        return dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!own_folder.empty()) {
        const std::string beside = own_folder + "/" + name;
        if (void *handle = dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL))
            return handle;
    }
    return dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
}

} // namespace

std::unique_ptr<CodecLibrary> CodecLibrary::load(const std::string &name, const std::string &own_folder)
{
    void *handle = open_library(name, own_folder);
    if (handle == nullptr)
        return nullptr;
    std::unique_ptr<CodecLibrary> library(new CodecLibrary(handle));
    if (!library->resolve())
        return nullptr;
    return library;
}

CodecLibrary::~CodecLibrary()
{
    dlclose(m_handle);
}

bool CodecLibrary::resolve()
{
    const bool complete =
        resolve_one(m_handle, "lms_codec_version", m_version) && resolve_one(m_handle, "lms_codec_open", open)
        && resolve_one(m_handle, "lms_codec_frame_samples", frame_samples)
        && resolve_one(m_handle, "lms_codec_delay_samples", delay_samples)
        && resolve_one(m_handle, "lms_codec_encode", encode) && resolve_one(m_handle, "lms_codec_decode", decode)
        && resolve_one(m_handle, "lms_codec_close", close);
    if (!complete)
        return false;
    const char *text = m_version();
    const std::string major = std::to_string(LMS_CODEC_MAJOR_VERSION) + ".";
    return text != nullptr && std::strncmp(text, major.c_str(), major.size()) == 0;
}

} // namespace speech
