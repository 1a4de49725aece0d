// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace speech {

// The folder libmsc.so was loaded from (no trailing '/'), or empty when it cannot be told.
std::string own_library_folder();

} // namespace speech
