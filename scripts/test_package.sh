#!/usr/bin/env bash
# The Debian package as a user meets it: builds it, installs it with apt-get, uses the program
# as a normal (not root) user on a private X server, checks where it wrote, then removes the
# package and checks nothing of it is left. Run as root on a machine where lumeno is not
# otherwise installed (scripts/test.sh calls it).
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" -eq 0 ] || { echo "test_package.sh installs a package: run it as root"; exit 1; }
here=$(pwd)
export DEBIAN_FRONTEND=noninteractive

cmake --preset package >/dev/null
cmake --build --preset package -j"$(nproc)"
rm -f build/package/lumeno_*.deb
(cd build/package && cpack -G DEB >/dev/null)
deb=$(ls "$here"/build/package/lumeno_*.deb)
echo "== package $(basename "$deb")"
dpkg-deb --field "$deb" Depends

user=lumeno-ci
id "$user" >/dev/null 2>&1 || useradd --create-home --shell /bin/sh "$user"
work=$(mktemp -d)
chmod 755 "$work"
home="$work/home"
install -d -o "$user" "$home"
xvfb= app=
cleanup() {
  for pid in $app $xvfb; do kill "$pid" 2>/dev/null || true; done
  dpkg -r lumeno >/dev/null 2>&1 || true
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
  /usr/share/metainfo/org.example.lumeno.Lumeno.metainfo.xml /usr/share/man/man1/lumeno-say.1; do
  [ -e "$f" ] || { echo "not installed: $f"; exit 1; }
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
as_user lumeno >"$work/window.log" 2>&1 &
app=$!
wait_for 200 xdotool search --name 'Lumeno语音合成工具V1.0' || { echo "no window"; cat "$work/window.log"; exit 1; }
window=$(xdotool search --name 'Lumeno语音合成工具V1.0' | head -1)
sleep 1
# Asks the window to close as a window manager would (WM_DELETE_WINDOW), so it saves its settings.
python3 - "$window" <<'PY'
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
wait_for 100 bash -c "! kill -0 $app" || { echo "the window did not close"; exit 1; }
wait "$app" || { echo "the window ended with $?"; cat "$work/window.log"; exit 1; }
app=

echo "== where it wrote"
[ -s "$home/.config/lumeno/config.ini" ] || { echo "no settings in $home/.config/lumeno"; find "$home"; exit 1; }
# The installed libraries were used as found: no per-user copy.
[ ! -e "$home/.local/share/lumeno/lib/libmsc.so" ] || { echo "the engine was copied for the user"; exit 1; }
written=$(find /usr -xdev -newer "$stamp" -not -type d 2>/dev/null || true)
[ -z "$written" ] || { echo "written under /usr:"; echo "$written"; exit 1; }

echo "== remove"
dpkg -r lumeno >/dev/null
if dpkg -L lumeno >/dev/null 2>&1; then
  echo "dpkg still lists lumeno"
  exit 1
fi
while read -r f; do
  [ -d "$f" ] && continue
  [ ! -e "$f" ] || { echo "left after removal: $f"; exit 1; }
done <"$work/files"
[ ! -e "$libdir" ] || { echo "left after removal: $libdir"; exit 1; }
echo "package ok"
