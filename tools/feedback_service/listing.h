// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "feedback_store.h"

#include <QString>

// What --list prints for the operator. Stored texts come from anyone on the network, so a
// control character is shown escaped and never reaches the operator's terminal raw.
namespace listing {

// text with line breaks (LF, CR LF) as LF and every other control or format character as
// \xHH or \uHHHH; a backslash is doubled so an escape cannot be faked.
QString escaped(const QString &text);

QString record_text(const FeedbackRecord &record);

} // namespace listing
