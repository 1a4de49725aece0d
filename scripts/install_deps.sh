#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs every Debian package the project needs to build, run and test. Idempotent:
# packages already present are not fetched again.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools
  # the window: Qt's own texts (standard dialogs) in the user's language, the SVG window icon
  qt6-translations-l10n libqt6svg6
  # speech engine
  libespeak-ng-dev espeak-ng-data espeak-ng libsoxr-dev libspeex-dev
  # lumeno-say: MP3, Ogg Vorbis, Opus and FLAC output
  libsndfile1-dev
  # sound output
  libasound2-dev libasound2-plugins pulseaudio pulseaudio-utils
  # the Speech Dispatcher module: its server and client for the tests (pgrep finds the module
  # under the server), espeak-ng's module beside it in the benchmark
  speech-dispatcher speech-dispatcher-audio-plugins speech-dispatcher-espeak-ng procps
  # tests: window, fonts, independent audio readers
  xvfb xauth xdotool fonts-wqy-zenhei sox python3
  # feedback service: HTTP, the store, the font of its verification images
  libcpp-httplib-dev libsqlite3-dev fonts-dejavu-core
  # the Debian packages: dependencies from the binaries, checks of the desktop files and of
  # the packages themselves
  dpkg-dev file desktop-file-utils appstream lintian
  # the screenshot of the window (scripts/screenshot.sh)
  x11-apps netpbm
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
