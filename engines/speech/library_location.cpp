// SPDX-License-Identifier: GPL-3.0-or-later
#include "library_location.h"

#include <dlfcn.h>

namespace speech {

std::string own_library_folder()
{
    Dl_info info{};
    // Any function of this library identifies the file it was loaded from.
    if (dladdr(reinterpret_cast<void *>(&own_library_folder), &info) == 0 || info.dli_fname == nullptr)
        return {};
    const std::string path = info.dli_fname;
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

} // namespace speech
