#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Puts the project's licence line at the top of every source file of our own: `//` for C, C++,
# assembler and JavaScript, `#` for shell, Python and CMake, after a `#!` line where there is one.
# A file that already has the line is left as it is, so running it again changes nothing.
# Generated and third-party data (engines/data, fuzzing corpora, build folders) are not ours
# to mark and are left alone.
#
#   bash scripts/add_spdx.sh [--check] [ROOT]
#
# --check changes nothing: it lists the files that lack the line and fails if there is one.
# ROOT is the source tree (default: this repository).
set -euo pipefail

licence="SPDX-License-Identifier: GPL-3.0-or-later"
check=0
if [ "${1:-}" = --check ]; then
  check=1
  shift
fi
root=${1:-"$(dirname "$0")/.."}
cd "$root"

# Prints the comment leader of a file we mark, nothing for any other file.
leader_of() {
  case "$1" in
  *.cpp | *.h | *.c | *.S.in | *.js) echo '//' ;;
  *.sh | *.py | *.cmake | */CMakeLists.txt | CMakeLists.txt | .ci/run) echo '#' ;;
  esac
}

# Every candidate: the code folders, the scripts and the top-level build files.
candidates() {
  local folders=()
  for d in src engines tools tests bench skins shared scripts cmake .ci; do
    [ -d "$d" ] && folders+=("$d")
  done
  [ -f CMakeLists.txt ] && echo CMakeLists.txt
  ((${#folders[@]})) || return 0
  find "${folders[@]}" \
    -type d \( -path engines/data -o -name corpus -o -name build -o -name 'build-*' -o -name third_party \) -prune \
    -o -type f -print | LC_ALL=C sort
}

# True when the licence line is already among the first two lines (a `#!` line may come first).
has_line() {
  head -n 2 -- "$1" | grep -qF "$licence"
}

# Rewrites one file with the line on top (after its `#!` line), replacing the file whole.
mark() {
  local file=$1 line="$2 $licence" tmp
  tmp=$(mktemp "$file.spdx.XXXXXX")
  {
    if head -n 1 -- "$file" | grep -q '^#!'; then
      head -n 1 -- "$file"
      printf '%s\n' "$line"
      tail -n +2 -- "$file"
    else
      printf '%s\n' "$line"
      cat -- "$file"
    fi
  } >"$tmp"
  chmod --reference="$file" "$tmp"
  mv -f -- "$tmp" "$file"
}

missing=0
while IFS= read -r file; do
  leader=$(leader_of "$file")
  [ -n "$leader" ] || continue
  has_line "$file" && continue
  if ((check)); then
    echo "no licence line: $file"
    missing=$((missing + 1))
  else
    mark "$file" "$leader"
  fi
done < <(candidates)

if ((missing)); then
  echo "$missing file(s) lack \"$licence\" (bash scripts/add_spdx.sh adds it)"
  exit 1
fi
