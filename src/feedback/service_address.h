// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "feedback/feedback_wire.h"

#include <QProcessEnvironment>
#include <QStringList>
#include <QUrl>

// Where the feedback service lives. Built in with a default of ours; self-hosters and tests
// override it at run time, the command line winning over the environment:
//   --feedback-url URL   (or --feedback-url=URL)
//   LUMENO_FEEDBACK_URL=URL
namespace feedback {

QUrl service_address(const QStringList &arguments, const QProcessEnvironment &environment);

// The base address with path appended to whatever path the base already has, so the service
// can sit below a prefix of a shared host.
QUrl endpoint(const QUrl &base, const char *path);

} // namespace feedback
