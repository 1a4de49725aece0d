#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian packages as a user meets them: builds them, checks them with lintian (no error,
# no warning), installs the program's package with apt-get, uses the program as a normal (not
# root) user and as root on a private X server, checks where it wrote, installs the feedback
# service's package, then removes both and checks nothing of them is left. Last, the build
# installed with `cmake --install --prefix` into a fresh folder is started from there as a
# normal user. Run as root on a machine where lumeno is not otherwise installed
# (scripts/test.sh calls it).
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" -eq 0 ] || { echo "test_package.sh installs a package: run it as root"; exit 1; }
here=$(pwd)
export DEBIAN_FRONTEND=noninteractive

cmake --preset package >/dev/null
cmake --build --preset package -j"$(nproc)"
rm -f build/package/*.deb
(cd build/package && cpack -G DEB >/dev/null)
deb=$(ls "$here"/build/package/lumeno_*.deb)
service_deb=$(ls "$here"/build/package/lumeno-feedback-service_*.deb)
debs=("$here"/build/package/*.deb)
for d in "${debs[@]}"; do
  echo "== package $(basename "$d"), installed size $(dpkg-deb --field "$d" Installed-Size) KiB"
  dpkg-deb --field "$d" Depends
done
# The service's libraries stay out of the desktop program's package.
if dpkg-deb --field "$deb" Depends | grep -E 'httplib|sqlite'; then
  echo "the program's package depends on the feedback service's libraries"
  exit 1
fi

echo "== lintian"
# Errors and warnings fail (exit 2); lintian's own failures (exit 1) too.
status=0
lintian --fail-on error,warning "${debs[@]}" >build/package/lintian.txt 2>&1 || status=$?
grep -v 'running with root privileges' build/package/lintian.txt || true
[ "$status" -eq 0 ] || { echo "lintian: errors or warnings above (exit $status)"; exit 1; }

user=lumeno-ci
id "$user" >/dev/null 2>&1 || useradd --create-home --shell /bin/sh "$user"
work=$(mktemp -d)
chmod 755 "$work"
home="$work/home"
install -d -o "$user" "$home"
xvfb= app= service=
cleanup() {
  for pid in $app $service $xvfb; do kill "$pid" 2>/dev/null || true; done
  dpkg -r lumeno-feedback-service lumeno >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# shellcheck source=../tests/support/wait_for.sh
. "$here/tests/support/wait_for.sh"
# The normal user with a fresh home and nothing of ours in the environment.
as_user() {
  runuser -u "$user" -- env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 LUMENO_SOUND=null \
    ${DISPLAY:+DISPLAY=$DISPLAY} "$@"
}

echo "== install"
apt-get install -y -qq -o DPkg::Lock::Timeout=300 "$deb" >/dev/null
dpkg -L lumeno >"$work/files"
libdir=$(grep -m1 '/lumeno/libmsc.so$' "$work/files" | xargs dirname)
for f in /usr/bin/lumeno /usr/bin/lumeno-say "$libdir/libmsc.so" "$libdir/libmsc_speex.so" \
  /usr/share/applications/org.example.lumeno.Lumeno.desktop \
  /usr/share/icons/hicolor/scalable/apps/org.example.lumeno.Lumeno.svg \
  /usr/share/metainfo/org.example.lumeno.Lumeno.metainfo.xml /usr/share/man/man1/lumeno.1.gz \
  /usr/share/man/man1/lumeno-say.1.gz /usr/share/doc/lumeno/copyright; do
  [ -e "$f" ] || { echo "not installed: $f"; exit 1; }
done
for f in /usr/bin/lumeno-feedback-service /usr/share/lumeno-feedback-service; do
  [ ! -e "$f" ] || { echo "the program's package holds the feedback service: $f"; exit 1; }
done
desktop-file-validate /usr/share/applications/org.example.lumeno.Lumeno.desktop
appstreamcli validate --no-net /usr/share/metainfo/org.example.lumeno.Lumeno.metainfo.xml

stamp="$work/stamp"
touch "$stamp"
sleep 1

echo "== lumeno-say as $user"
as_user lumeno-say --list-voices | grep -q xiaoyan
as_user lumeno-say -o "$home/hello.wav" "你好，世界"
size=$(stat -c %s "$home/hello.wav")
[ "$size" -gt 8044 ] || { echo "hello.wav holds $size bytes"; exit 1; }

echo "== the window under Xvfb, started and closed"
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
exec 3>&-
wait_for 100 test -s "$work/display" || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$(cat "$work/display")"
# Asks a window to close as a window manager would (WM_DELETE_WINDOW), so it saves its settings.
cat >"$work/close_window.py" <<'PY'
import ctypes, sys
x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XInternAtom.restype = ctypes.c_ulong
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x11.XFlush.argtypes = [ctypes.c_void_p]
class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]
class Event(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]
display = x11.XOpenDisplay(None)
window = int(sys.argv[1])
event = Event()
event.xclient.type = 33  # ClientMessage
event.xclient.window = window
event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
event.xclient.format = 32
event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
x11.XSendEvent(display, window, 0, 0, ctypes.byref(event))
x11.XFlush(display)
PY
title='Lumeno语音合成工具V1.0'
# window_round NAME COMMAND...: starts the window with COMMAND, closes it once it shows and
# checks that it ended well.
window_round() {
  local log="$work/window-$1.log" window
  shift
  "$@" >"$log" 2>&1 &
  app=$!
  wait_for 200 xdotool search --name "$title" || { echo "no window from $*"; cat "$log"; exit 1; }
  window=$(xdotool search --name "$title" | head -1)
  sleep 1
  python3 "$work/close_window.py" "$window"
  wait_for 100 bash -c "! kill -0 $app" || { echo "the window did not close ($*)"; exit 1; }
  local status=0
  wait "$app" || status=$?
  app=
  [ "$status" -eq 0 ] || { echo "the window ended with $status ($*)"; cat "$log"; exit 1; }
}
window_round user as_user lumeno

echo "== where it wrote"
[ -s "$home/.config/lumeno/config.ini" ] || { echo "no settings in $home/.config/lumeno"; find "$home"; exit 1; }
# The installed libraries were used as found: no per-user copy.
[ ! -e "$home/.local/share/lumeno/lib/libmsc.so" ] || { echo "the engine was copied for the user"; exit 1; }
written=$(find /usr -xdev -newer "$stamp" -not -type d 2>/dev/null || true)
[ -z "$written" ] || { echo "written under /usr:"; echo "$written"; exit 1; }

echo "== the window as root"
# Root's settings go to its own configuration folder like anyone's, never beside the program.
roothome="$work/root"
install -d -m 700 "$roothome"
touch "$stamp"
sleep 1
window_round root env -i HOME="$roothome" PATH=/usr/bin:/bin LANG=C.UTF-8 LUMENO_SOUND=null \
  DISPLAY="$DISPLAY" lumeno
written=$(find /usr -xdev -newer "$stamp" -not -type d 2>/dev/null || true)
if [ -n "$written" ]; then
  echo "written under /usr by root:"
  echo "$written"
  # Settings left beside the program would make the next run take it for a portable copy.
  if grep -qx /usr/bin/config.ini <<<"$written"; then rm -f /usr/bin/config.ini; fi
  exit 1
fi
[ -s "$roothome/.config/lumeno/config.ini" ] || { echo "no settings in $roothome/.config/lumeno"; find "$roothome"; exit 1; }

echo "== the feedback service's package"
apt-get install -y -qq -o DPkg::Lock::Timeout=300 "$service_deb" >/dev/null
dpkg -L lumeno-feedback-service >"$work/service-files"
for f in /usr/bin/lumeno-feedback-service /usr/share/lumeno-feedback-service/types.txt \
  /usr/share/man/man1/lumeno-feedback-service.1.gz /usr/share/doc/lumeno-feedback-service/copyright; do
  grep -qx "$f" "$work/service-files" || { echo "not in lumeno-feedback-service: $f"; exit 1; }
done
# It serves with the installed type list, and what it stored can be listed.
as_user lumeno-feedback-service --types /usr/share/lumeno-feedback-service/types.txt \
  --database "$home/feedback.db" --listen 127.0.0.1 --port 0 >"$work/service.log" 2>&1 &
service=$!
wait_for 100 grep -q 'Serving on' "$work/service.log" || { echo "the service did not start"; cat "$work/service.log"; exit 1; }
kill "$service"
wait "$service" || true
service=
as_user lumeno-feedback-service --list --database "$home/feedback.db" >/dev/null

echo "== remove"
dpkg -r lumeno-feedback-service lumeno >/dev/null
for p in lumeno lumeno-feedback-service; do
  if dpkg -L "$p" >/dev/null 2>&1; then
    echo "dpkg still lists $p"
    exit 1
  fi
done
while read -r f; do
  [ -d "$f" ] && continue
  [ ! -e "$f" ] || { echo "left after removal: $f"; exit 1; }
done < <(cat "$work/files" "$work/service-files")
[ ! -e "$libdir" ] || { echo "left after removal: $libdir"; exit 1; }

echo "== a relocated install, started as $user"
# Installed under a prefix other than the configured one, with nothing of the package left on
# the system: the programs find their libraries relative to themselves.
prefix="$work/prefix"
cmake --install build/package --prefix "$prefix" >/dev/null
chmod -R a+rX "$prefix"
window_round relocated as_user "$prefix/bin/lumeno"
[ ! -e "$home/.local/share/lumeno/lib/libmsc.so" ] || { echo "the relocated engine was copied for the user"; exit 1; }
echo "package ok"
