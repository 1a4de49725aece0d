#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a source file of our own lacks its licence line; lists those files.
# The file selection is add_spdx.sh's, so the two never disagree.
set -euo pipefail
exec bash "$(dirname "$0")/add_spdx.sh" --check "$@"
