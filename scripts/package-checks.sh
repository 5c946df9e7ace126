#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The checks scripts/package-test.sh runs inside a fresh Debian root: installs the package the way a
# user does, then checks what the user meets. One line per check, a count at the end.
#   package-checks.sh PACKAGE.deb
set -uo pipefail
deb=$1
export DEBIAN_FRONTEND=noninteractive
passed=0
failed=0

# check NAME COMMAND...: the command succeeds.
check() {
    local name=$1 out
    shift
    if out=$("$@" 2>&1); then
        echo "ok   $name"
        passed=$((passed + 1))
    else
        echo "FAIL $name"
        sed 's/^/     /' <<<"$out"
        failed=$((failed + 1))
    fi
}

# expect NAME WANTED COMMAND...: the command succeeds and prints exactly WANTED.
expect() {
    local name=$1 wanted=$2 out
    shift 2
    out=$("$@" 2>&1)
    check "$name" test "$out" = "$wanted" || true
    [ "$out" = "$wanted" ] || echo "     wanted '$wanted', got '$out'"
}

# A 32x24 24-bit BMP with a blue-to-green gradient, written byte by byte: the root has no image tools.
make_bmp() {
    local file=$1 width=32 height=24 x y
    local row=$((width * 3)) size=$((54 + width * height * 3))
    # printf's own \x escapes are read before the numbers go in, so the bytes are made in two passes.
    bytes() { printf '%b' "$(printf '\\x%02x' "$@")"; }
    le32() { bytes $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
    {
        printf 'BM'; le32 $size; le32 0; le32 54
        le32 40; le32 $width; le32 $height; printf '\x01\x00\x18\x00'; le32 0; le32 $((row * height))
        le32 2835; le32 2835; le32 0; le32 0
        for ((y = 0; y < height; y++)); do
            for ((x = 0; x < width; x++)); do bytes $((255 - x * 8)) $((y * 10)) 40; done
        done
    } >"$file"
}

echo "== Installing $(basename "$deb") with its dependencies"
apt-get update -q >/dev/null && apt-get install -y -q "$deb" >/tmp/install.log 2>&1 || {
    cat /tmp/install.log
    echo "0 passed, 1 failed"
    exit 1
}
grep -E '^(Get|Setting up) ' /tmp/install.log | grep -cE '^Setting up' | sed 's/^/   packages set up: /'
version=$(dpkg-query -W -f='${Version}' muralo32)

echo "== murctl, with only the package's own dependencies"
expect "murctl --version is the package's upstream version" "murctl ${version%-*}" murctl --version
make_bmp /tmp/sky.bmp
check "murctl queue new" murctl queue new /tmp/q.qu3
check "murctl queue add" murctl queue add /tmp/q.qu3 /tmp/sky.bmp
check "murctl queue list names the image" bash -c 'murctl queue list /tmp/q.qu3 | grep -q "sky.bmp"'
# The 4:3 picture fitted into a 320x200 screen: decoding and resizing through the installed libraries.
expect "murctl render fits the image to the screen" "/tmp/wall.bmp: 267x200, 24 bits per pixel" \
    murctl render --queue /tmp/q.qu3 --entry 1 --out /tmp/wall.bmp --screen 320x200
check "murctl autostart on" murctl autostart on
check "the autostart entry starts the installed program" \
    grep -qx 'Exec="\?/usr/bin/muralo32"\?' /root/.config/autostart/muralo32.desktop

echo "== Installing the tools the remaining checks use"
apt-get install -y -q --no-install-recommends xvfb x11-apps x11-utils xdg-utils shared-mime-info \
    libfile-mimeinfo-perl desktop-file-utils man-db bash-completion appstream lintian >/tmp/tools.log 2>&1 ||
    { cat /tmp/tools.log; exit 1; }

echo "== The program on a screen"
mkdir -p /tmp/.X11-unix /tmp/runtime && chmod 1777 /tmp/.X11-unix && chmod 700 /tmp/runtime
Xvfb :5 -screen 0 1280x800x24 -noreset -nolisten tcp >/tmp/xvfb.log 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -S /tmp/.X11-unix/X5 ] && break; sleep 0.1; done
DISPLAY=:5 XDG_RUNTIME_DIR=/tmp/runtime muralo32 /tmp/q.qu3 >/tmp/muralo32.log 2>&1 &
app=$!
shown() { DISPLAY=:5 xwininfo -root -tree | grep -q '"Muralo32 Wallpaper Manager'; }
for _ in $(seq 100); do shown && break; sleep 0.2; done
sleep 2
check "muralo32 shows its window" shown
check "muralo32 is still running" kill -0 $app
DISPLAY=:5 xwd -root -silent -out /tmp/screen.xwd
kill $app 2>/dev/null
wait $app 2>/dev/null
kill $xvfb 2>/dev/null
wait $xvfb 2>/dev/null
[ -s /tmp/muralo32.log ] && sed 's/^/     muralo32: /' /tmp/muralo32.log

echo "== Desktop integration"
expect "a .qu3 file is a queue" application/x-muralo32-queue xdg-mime query filetype /tmp/q.qu3
cp /tmp/q.qu3 /tmp/queue-without-suffix
expect "a file starting with QU3 is a queue" application/x-muralo32-queue \
    xdg-mime query filetype /tmp/queue-without-suffix
expect "queues open in muralo32" muralo32.desktop xdg-mime query default application/x-muralo32-queue
check "icons in every size" test "$(ls /usr/share/icons/hicolor/*/apps/muralo32.*| wc -l)" -eq 9
check "desktop-file-validate: menu entry" desktop-file-validate /usr/share/applications/muralo32.desktop
check "desktop-file-validate: autostart entry" desktop-file-validate /root/.config/autostart/muralo32.desktop
check "appstreamcli validate" appstreamcli validate --no-net /usr/share/metainfo/*.metainfo.xml
for page in muralo32 murctl; do
    check "man $page renders" bash -c "MANWIDTH=80 man -P cat $page 2>&1 >/tmp/$page.txt | (! grep .) && grep -q '^SYNOPSIS' /tmp/$page.txt"
done
check "completion offers the commands" bash -c 'source /usr/share/bash-completion/bash_completion
    _completion_loader murctl; COMP_WORDS=(murctl ""); COMP_CWORD=1; _murctl
    [ "${COMPREPLY[*]}" = "queue change render clear current autostart" ]'

echo "== lintian"
lintian --fail-on error --display-info "$deb" | tee /tmp/lintian.log
check "lintian finds no error" bash -c '! grep -q "^E:" /tmp/lintian.log'

echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
