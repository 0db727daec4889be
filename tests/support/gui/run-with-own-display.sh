#!/usr/bin/env bash
# Runs one GUI test program on an X server of its own: ctest starts the GUI suites through
# this script, so test processes running side by side never share a display and none can
# take another's keyboard focus or cover its windows. Xvfb chooses a free display number
# itself (-displayfd), which stays race-free however many start at once; the server stops
# when the test does. Listing the tests needs no display.
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
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>"$work/server.log" &
server=$!

number=
read -r -t 30 number <"$work/display"
if [[ ! $number =~ ^[0-9]+$ ]]; then
    echo "$0: Xvfb did not start:" >&2
    cat "$work/server.log" >&2
    exit 1
fi

DISPLAY=":$number" "$@"
