#!/usr/bin/env bash
# Runs one GUI test program on an X server of its own: ctest starts the GUI suites through
# this script, so test processes running side by side never share a display and none can
# take another's keyboard focus or cover its windows. The display number is drawn at random
# from a high range (a JUCE program without DISPLAY connects to :0, so that one is never
# taken); a number already in use makes Xvfb fail at once and another is tried. Xvfb reports
# on -displayfd when it is ready. The server stops when the test does. Listing the tests
# needs no display.
#
# With "--window-manager openbox" as the first arguments, openbox runs on the display too (as on
# a desktop), the test starts once it manages the screen, and QTR_WINDOW_MANAGER names it.
set -uo pipefail

window_manager=
if [[ ${1:-} == --window-manager ]]; then
    window_manager=$2
    shift 2
fi

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
manager=
stop_server() {
    for pid in $manager $server; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
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

export DISPLAY=":$number"

if [[ -n $window_manager ]]; then
    if ! command -v "$window_manager" >/dev/null; then
        echo "$0: $window_manager is missing (scripts/install-deps.sh installs it)" >&2
        exit 1
    fi
    manages_screen() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
    # Under a heavy load it has been seen to fail to open a display that had just reported ready;
    # it is started again a few times before the test gives up.
    end=$((SECONDS + 30))
    for attempt in 1 2 3; do
        # Its own HOME, so that nothing it keeps is shared with another test's.
        HOME="$work" "$window_manager" >"$work/manager.log" 2>&1 &
        manager=$!
        until manages_screen || ! kill -0 "$manager" 2>/dev/null || ((SECONDS >= end)); do
            sleep 0.1
        done
        if manages_screen || kill -0 "$manager" 2>/dev/null; then
            break # managing, or still starting when the time was up
        fi
        wait "$manager" 2>/dev/null
        manager=
    done
    if ! manages_screen; then
        echo "$0: $window_manager did not start:" >&2
        cat "$work/manager.log" >&2
        exit 1
    fi
    export QTR_WINDOW_MANAGER=$window_manager
fi

"$@"
