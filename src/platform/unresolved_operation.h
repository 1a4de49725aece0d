// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

// Shows a fatal error (caption, text) where a person can see it.
using FatalHandler = std::function<void(const QString &caption, const QString &text)>;

// The program's fatal error for an operation of an outside library that cannot be found
// (the library itself missing, or the operation missing from it): the text names both, goes
// to standard error and to `show` when given, and the process ends with exit code -1.
[[noreturn]] void end_with_unresolved_operation(const char *library, const char *operation, const FatalHandler &show);
