#!/usr/bin/env bash
# Runs one GUI test program on an X server of its own: ctest starts the GUI suites through
# this script, so test processes running side by side never share a display and none can
# take another's keyboard focus or cover its windows. The display number is drawn at random
# from a high range (a JUCE program without DISPLAY connects to :0, so that one is never
# taken); a number already in use makes Xvfb fail at once and another is tried. Xvfb reports
# on -displayfd when it is ready. The server stops when the test does. Listing the tests
# needs no display.
set -uo pipefail

for argument in "$@"; do
    if [[ $argument == --gtest_list_tests ]]; then
        exec "$@"
    fi
done

if ! command -v Xvfb >/dev/null; then
    echo "$0: Xvfb is missing (scripts/install-deps.sh installs it)" >&2
    exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/qtr-display-XXXXXX") || exit 1
server=
stop_server() {
    if [[ -n $server ]]; then
        kill "$server" 2>/dev/null
        wait "$server" 2>/dev/null
    fi
    rm -rf "$work"
}
trap stop_server EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

mkfifo "$work/display" || exit 1
number=
for attempt in 1 2 3 4 5 6 7 8 9 10; do
    candidate=$((1000 + RANDOM % 9000))
    Xvfb ":$candidate" -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>"$work/server.log" &
    server=$!
    reported=
    read -r -t 30 reported <"$work/display"
    if [[ $reported == "$candidate" ]]; then
        number=$candidate
        break
    fi
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
    server=
done
if [[ -z $number ]]; then
    echo "$0: Xvfb did not start:" >&2
    cat "$work/server.log" >&2
    exit 1
fi

DISPLAY=":$number" "$@"
