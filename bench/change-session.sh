# SPDX-License-Identifier: MIT
# Sourced by the change benchmarks, with $murctl set: makes the 6000x4000 test JPEG once,
# starts a private 1920x1080 Xvfb with its own home and settings, makes a queue of that image,
# and cleans everything up on exit. Sets image, work, queue and program (the muralo32 the
# script starts, if any, which is stopped on exit too).
image=${TMPDIR:-/tmp}/muralo-bench-6000x4000.jpg
[ -f "$image" ] || gm convert -size 6000x4000 plasma:fractal -quality 90 "$image"

work=$(mktemp -d)
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1920x1080x24 -noreset -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
program=
cleanup() {
    [ -n "$program" ] && kill "$program" 2>/dev/null
    kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=$display HOME=$work XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

queue=$work/q.qu3
"$murctl" queue new "$queue" >/dev/null
"$murctl" queue add "$queue" "$image" >/dev/null

# Starts muralo32 on the queue and waits until it answers.
start_program() {
    "$1/src/muralo32" "$queue" >/dev/null 2>&1 &
    program=$!
    for _ in $(seq 100); do "$murctl" current >/dev/null 2>&1 && break; sleep 0.1; done
    sleep 1
}
