#!/usr/bin/env bash
# The librarian run as a program, driven from outside with xdotool on the X server it is given
# (ctest starts it through tests/support/gui/run-with-own-display.sh). With a fresh HOME and no
# MIDI devices it must: open its main window with the title and the menu bar; show the automatic
# receive's progress window, which OK closes; quit with Ctrl+Q and exit code 0, leaving the seven
# defaults and the window's geometry in the preferences; open at the stored place next time; end a
# second launch by itself while the first runs; and quit cleanly on the window's close request
# while the receive's window is open.
#
# Usage: program-run-test.sh <program> <send_close_request>
set -uo pipefail

program=$1
send_close_request=$2

home=$(mktemp -d "${TMPDIR:-/tmp}/qtr-program-run-XXXXXX") || exit 1
started=()
cleanup() {
    for pid in "${started[@]}"; do
        kill -9 "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    rm -rf "$home"
}
trap cleanup EXIT

export HOME=$home
unset XDG_CONFIG_HOME LC_ALL LC_MESSAGES
export LANG=C
preferences="$home/.config/Feltan QTR-3 Digital Librarian/PreferencesData.xml"
main_title='^Feltan QTR-3 Digital Librarian - Untitled$'
receive_title='^Receive All User Data$'

fail() {
    echo "FAIL: $*" >&2
    for log in "$home"/*.log "$preferences"; do
        [[ -e $log ]] && { echo "--- $log"; cat "$log"; } >&2
    done
    exit 1
}

# Runs the command until it succeeds, for at most the given number of seconds.
wait_until() {
    local bound=$1
    shift
    local end=$((SECONDS + bound))
    until "$@"; do
        ((SECONDS < end)) || return 1
        sleep 0.1
    done
}

visible_windows() { xdotool search --onlyvisible --name "$1" 2>/dev/null; }
has_window() { [[ -n $(visible_windows "$1") ]]; }
has_no_window() { [[ -z $(visible_windows "$1") ]]; }
has_exited() { ! kill -0 "$1" 2>/dev/null; }
is_at() { [[ $(xdotool getwindowgeometry "$1" | grep Position) == *" $2,$3 "* ]]; }

start_program() {
    "$program" >"$home/$1.log" 2>&1 &
    started+=($!)
    pid=$!
}

# Waits for the program to end by itself and checks its exit code.
expect_exit_code_zero() {
    wait_until 60 has_exited "$1" || fail "$2: the program did not end"
    wait "$1"
    local code=$?
    ((code == 0)) || fail "$2: exit code $code"
}

click_at() { xdotool mousemove "$1" "$2" click 1; }

# Stands in for the window manager's atoms, from before the first start to the end.
coproc holder { "$send_close_request" --hold; }
started+=("$holder_PID")
read -r -t 30 answer <&"${holder[0]}" && [[ $answer == ready ]] || fail "the close-request helper did not start"

# First run: fresh preferences, automatic search finds nothing, the receive reports it.
start_program first
first=$pid
wait_until 30 has_window "$main_title" || fail "no main window titled '$main_title'"
main=$(visible_windows "$main_title")
wait_until 30 has_window "$receive_title" || fail "the automatic receive showed no progress window"
receive=$(visible_windows "$receive_title")
eval "$(xdotool getwindowgeometry --shell "$receive")"
# 460 x 150 of content: the connection failure's layout, status text and OK, no detail box.
[[ $WIDTH == 462 && $HEIGHT == 178 ]] || fail "progress window is ${WIDTH}x${HEIGHT}, not the not-found layout"
# A click that arrives before the window takes input is lost, so it is tried again.
ok_closes_progress() { click_at $((X + WIDTH - 66)) $((Y + HEIGHT - 36)) && wait_until 2 has_no_window "$receive_title"; }
wait_until 20 ok_closes_progress || fail "OK did not close the progress window"

# The menu bar: a click on its first item opens a menu window. A click that arrives while the
# closed progress window is still being torn down is lost, so it is tried again until a menu opens.
windows_before=$(visible_windows '' | wc -l)
eval "$(xdotool getwindowgeometry --shell "$main")"
menu_opened() { (($(visible_windows '' | wc -l) > windows_before)); }
click_opens_menu() { click_at $((X + 20)) $((Y + 10)) && wait_until 2 menu_opened; }
wait_until 20 click_opens_menu || fail "no menu opened from the menu bar"
xdotool key Escape
wait_until 10 eval '(($(visible_windows "" | wc -l) == windows_before))' || fail "the menu did not close"

xdotool windowmove "$main" 100 150
wait_until 10 is_at "$main" 100 150 || fail "the window did not move"
xdotool windowfocus --sync "$main"
xdotool key ctrl+q
expect_exit_code_zero "$first" "Ctrl+Q"

[[ -f $preferences ]] || fail "no preferences file after quitting"
for entry in 'MidiPortAutoScan Value="1"' 'AutoReceive Value="1"' 'WarnBeforeWriting Value="1"' \
    'MidiInPort Value=""' 'MidiOutPort Value=""' 'LastSavedFolder Value=""' 'ListHeight Value="25"' \
    'MainWindowPositionX Value="100"' 'MainWindowPositionY Value="150"' 'MainWindowWidth Value="720"'; do
    grep -q "<$entry/>" "$preferences" || fail "preferences lack <$entry/>"
done
grep -q '<MainWindowHeight Value="[0-9]*"/>' "$preferences" || fail "preferences lack the window height"

# Second run: the window opens where it was; a second launch ends by itself.
start_program second
second=$pid
wait_until 30 has_window "$main_title" || fail "no main window on the second run"
main=$(visible_windows "$main_title")
wait_until 10 is_at "$main" 100 150 || fail "the window did not open where it was: $(xdotool getwindowgeometry "$main")"
wait_until 30 has_window "$receive_title" || fail "no progress window on the second run"

start_program another
expect_exit_code_zero "$pid" "second launch"
(($(visible_windows "$main_title" | wc -l) == 1)) || fail "a second launch opened a second main window"
has_exited "$second" && fail "a second launch ended the first"

# The window's close request while the receive's window is open ends the program cleanly. While
# an instrument search is under way the program stays open without a word, so the request is
# made again, as a musician would, until the program ends.
close_and_check_exit() {
    has_exited "$second" && return 0
    "$send_close_request" "$main" || has_exited "$second" || fail "could not send the close request"
    wait_until 3 has_exited "$second"
}
wait_until 60 close_and_check_exit || fail "close request during the receive: the program did not end"
expect_exit_code_zero "$second" "close request during the receive"
grep -q '^</PreferencesData>' "$preferences" || fail "preferences file not whole after the close request"
grep -q '<MainWindowPositionX Value="100"/>' "$preferences" || fail "geometry lost after the close request"

echo "PASS"
