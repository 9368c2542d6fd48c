#!/bin/bash
# The board read by a real AT-SPI client: a private X server (Xvfb) on a free
# display, a private D-Bus session with the accessibility bus, the window on
# the xcb platform with Qt's bridge always on. Skips (77) with the reason when
# the X server, the bus or the client library is missing or cannot start.
# usage: atspi-test.sh <board program> <client script>
program=$1
client=$2
skip() {
    echo "SKIP: $*"
    exit 77
}
command -v Xvfb >/dev/null || skip "Xvfb is not installed (package xvfb)"
command -v dbus-run-session >/dev/null || skip "dbus-run-session is not installed (package dbus-daemon)"
[ -x /usr/libexec/at-spi-bus-launcher ] || skip "the accessibility bus is not installed (package at-spi2-core)"
# Debian's own interpreter: the client library is a Debian package.
python=/usr/bin/python3
[ -x "$python" ] || python=python3
"$python" -c "import pyatspi" 2>/dev/null || skip "the AT-SPI client library is not installed (package python3-pyatspi)"

work=$(mktemp -d)
cleanup() {
    [ -n "$xpid" ] && kill "$xpid" 2>/dev/null && wait "$xpid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number once it accepts clients.
mkfifo "$work/displayfd"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/displayfd" >"$work/xvfb.log" 2>&1 &
xpid=$!
display=
if read -r -t 10 number <"$work/displayfd" && [ -n "$number" ]; then
    display=":$number"
fi
[ -n "$display" ] || skip "no X server could start: $(tail -n 3 "$work/xvfb.log" 2>/dev/null)"

mkdir -p "$work/data" "$work/runtime"
chmod 700 "$work/runtime"
export DISPLAY=$display QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    CORVANE_PROGRAM_FOLDER="$work/data" XDG_RUNTIME_DIR="$work/runtime" NO_AT_BRIDGE=0
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS
dbus-run-session -- true 2>"$work/dbus.log" || skip "no D-Bus session could start: $(head -n 3 "$work/dbus.log")"
timeout 60 dbus-run-session -- "$python" "$client" "$program"
