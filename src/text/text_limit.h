// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The text box and the engine share one limit, in GBK bytes.
inline constexpr int kTextLimit = 2048;
