#!/usr/bin/env bash
# The librarian run as a program, driven from outside with xdotool on the X server it is given
# (ctest starts it through tests/support/gui/run-with-own-display.sh). With a fresh HOME and no
# MIDI devices it must: open its main window with the title and the menu bar; show the automatic
# receive's progress window, which OK closes; quit with Ctrl+Q and exit code 0, leaving the seven
# defaults and the window's geometry in the preferences; open at the stored place next time; end a
# second launch by itself while the first runs; and quit cleanly on the window's close request
# while the receive's window is open. Started without a display, it must say so and end.
#
# Under a window manager (QTR_WINDOW_MANAGER set by the launcher) it also checks what the window
# manager sees: three quit-and-start rounds reopen the window where and as tall as it was, the
# size limits it is given are 720 wide and 280 to 1400 high and hold against resize requests, the
# close button of the window's frame asks before discarding an edit, a click on a menu title after a
# pause opens the menu, and shortcuts work after Alt+F4 closed a dialog. Positions and sizes are
# those of the window's client area, as xwininfo reports them. The import command opens the
# framework's own file chooser: at first no desktop chooser is on the PATH, then a stand-in for zenity
# is, which under LANG=C (a locale that is not UTF-8) is passed over. In the last check, under
# C.UTF-8, the stand-in serves, and the close button ends the program and the chooser at once.
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
main_title='^Feltan QTR-3 Digital Librarian - Untitled'
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
# Sets X, Y, WIDTH and HEIGHT to the window's client area on the screen.
client_geometry() {
    local info
    info=$(xwininfo -id "$1" 2>/dev/null) || return 1
    X=$(awk '/Absolute upper-left X:/ {print $4}' <<<"$info")
    Y=$(awk '/Absolute upper-left Y:/ {print $4}' <<<"$info")
    WIDTH=$(awk '/^ +Width:/ {print $2}' <<<"$info")
    HEIGHT=$(awk '/^ +Height:/ {print $2}' <<<"$info")
}
is_at() { client_geometry "$1" && [[ $X == "$2" && $Y == "$3" ]]; }
is_not_at() { client_geometry "$1" && [[ $X != "$2" || $Y != "$3" ]]; }
has_size() { client_geometry "$1" && [[ $WIDTH == "$2" && $HEIGHT == "$3" ]]; }
stored() { sed -n "s/.*<$1 Value=\"\([^\"]*\)\".*/\1/p" "$preferences"; }

# What the program finds on its PATH: which (how the framework looks for a desktop chooser) and,
# when the second folder is given, a stand-in for zenity that writes its process id and stays open.
own_bin=$home/bin-own desktop_bin=$home/bin-desktop
mkdir -p "$own_bin" "$desktop_bin"
ln -s "$(command -v which)" "$own_bin/which"
ln -s "$(command -v which)" "$desktop_bin/which"
printf '#!/bin/sh\necho $$ >"%s"\nexec /bin/sleep 60\n' "$home/zenity.pid" >"$desktop_bin/zenity"
chmod +x "$desktop_bin/zenity"
program_path=$own_bin

start_program() {
    PATH=$program_path "$program" >"$home/$1.log" 2>&1 &
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

# Without a display the program says so in one line that names the display, ends with an error
# code and leaves the preferences as they were: no folder made where there was none, a stored file
# byte for byte. The display asked for is one with neither a socket nor a lock file, so no server,
# above the numbers the GUI tests draw theirs from, and reached only through its socket ("unix:"),
# as a bare number would be tried over TCP as well.
no_display_number=$((20000 + RANDOM % 20000))
while [[ -e /tmp/.X11-unix/X$no_display_number || -e /tmp/.X$no_display_number-lock ]]; do
    no_display_number=$((no_display_number + 1))
done
no_display=unix:$no_display_number
# Runs the program with the given environment changes and checks what it says and how it ends.
expect_no_display_refusal() {
    local expected=$1 code lines
    shift
    env "$@" timeout 60 "$program" >"$home/no-display.out" 2>"$home/no-display.err"
    code=$?
    ((code != 0 && code < 124)) || fail "no display ($*): exit code $code"
    mapfile -t lines <"$home/no-display.err"
    ((${#lines[@]} == 1)) && [[ ${lines[0]} == *"$expected"* ]] ||
        fail "no display ($*): not one line naming $expected on stderr: $(cat "$home/no-display.err")"
}
expect_no_display_refusal "DISPLAY=\"$no_display\"" DISPLAY=$no_display
[[ -e $(dirname "$preferences") ]] && fail "a start without a display made the preferences folder"
# Unset or empty, the framework tries display 0, which can be checked only where it has no server.
if [[ ! -e /tmp/.X11-unix/X0 ]]; then
    expect_no_display_refusal "DISPLAY is not set" -u DISPLAY
    expect_no_display_refusal "DISPLAY is empty" DISPLAY=
fi
mkdir -p "$(dirname "$preferences")" || fail "could not make the preferences folder"
printf '<PreferencesData>\n<AutoReceive Value="0"/><Other>kept</Other>\n</PreferencesData>' >"$preferences"
cp -p "$preferences" "$home/preferences-before"
expect_no_display_refusal "DISPLAY=\"$no_display\"" DISPLAY=$no_display
cmp -s "$preferences" "$home/preferences-before" || fail "a start without a display changed the preferences"
(($(ls -A "$(dirname "$preferences")" | wc -l) == 1)) || fail "a start without a display wrote beside the preferences"
rm -r "$(dirname "$preferences")" "$home"/no-display.* "$home/preferences-before"

# First run: fresh preferences, automatic search finds nothing, the receive reports it.
start_program first
first=$pid
wait_until 30 has_window "$main_title" || fail "no main window titled '$main_title'"
main=$(visible_windows "$main_title")
# On a display no window manager has used, the window still offers to be closed and focused by one
# started later; else that one's close would kill the program, unsent edits and all.
[[ $(xprop -id "$main" WM_PROTOCOLS) == *WM_TAKE_FOCUS*WM_DELETE_WINDOW* ]] ||
    fail "the main window does not take part in the window manager's protocols"
wait_until 30 has_window "$receive_title" || fail "the automatic receive showed no progress window"
receive=$(visible_windows "$receive_title")
client_geometry "$receive"
# 460 x 150 of content: the connection failure's layout, status text and OK, no detail box.
[[ $WIDTH == 462 && $HEIGHT == 178 ]] || fail "progress window is ${WIDTH}x${HEIGHT}, not the not-found layout"
# A click that arrives before the window takes input is lost, so it is tried again.
ok_closes_progress() { click_at $((X + WIDTH - 66)) $((Y + HEIGHT - 36)) && wait_until 2 has_no_window "$receive_title"; }
wait_until 20 ok_closes_progress || fail "OK did not close the progress window"

# The menu bar: a click on its first item opens a menu window. A click that arrives while the
# closed progress window is still being torn down is lost, so it is tried again until a menu opens.
windows_before=$(visible_windows '' | wc -l)
client_geometry "$main"
menu_opened() { (($(visible_windows '' | wc -l) > windows_before)); }
click_opens_menu() { click_at $((X + 20)) $((Y + 10)) && wait_until 2 menu_opened; }
wait_until 20 click_opens_menu || fail "no menu opened from the menu bar"
xdotool key Escape
wait_until 10 eval '(($(visible_windows "" | wc -l) == windows_before))' || fail "the menu did not close"

# A window manager puts its frame, not the window, where the window is asked to go; where the
# window then is, is what must be stored and restored.
client_geometry "$main"
xdotool windowmove "$main" 100 150
wait_until 10 is_not_at "$main" "$X" "$Y" || fail "the window did not move"
# A height of its own, not the one the window opens with when nothing is stored.
xdotool windowsize "$main" 720 455
wait_until 10 has_size "$main" 720 455 || fail "the window was not made 455 high: ${WIDTH}x$HEIGHT"
client_geometry "$main"
moved_x=$X moved_y=$Y moved_height=$HEIGHT
xdotool windowfocus --sync "$main"
xdotool key ctrl+q
expect_exit_code_zero "$first" "Ctrl+Q"

[[ -f $preferences ]] || fail "no preferences file after quitting"
for entry in 'MidiPortAutoScan Value="1"' 'AutoReceive Value="1"' 'WarnBeforeWriting Value="1"' \
    'MidiInPort Value=""' 'MidiOutPort Value=""' 'LastSavedFolder Value=""' 'ListHeight Value="25"' \
    "MainWindowPositionX Value=\"$moved_x\"" "MainWindowPositionY Value=\"$moved_y\"" 'MainWindowWidth Value="720"'; do
    grep -q "<$entry/>" "$preferences" || fail "preferences lack <$entry/>"
done
grep -q "<MainWindowHeight Value=\"$moved_height\"/>" "$preferences" || fail "preferences lack the window height"

# Second run: the window opens where it was; a second launch ends by itself.
start_program second
second=$pid
wait_until 30 has_window "$main_title" || fail "no main window on the second run"
main=$(visible_windows "$main_title")
wait_until 10 is_at "$main" "$moved_x" "$moved_y" || fail "the window did not open where it was: $X,$Y"
wait_until 10 has_size "$main" 720 "$moved_height" || fail "the window did not open as tall as it was: ${WIDTH}x$HEIGHT"
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
for entry in "MainWindowPositionX Value=\"$moved_x\"" "MainWindowHeight Value=\"$moved_height\""; do
    grep -q "<$entry/>" "$preferences" || fail "geometry lost after the close request: no <$entry/>"
done

if [[ -z ${QTR_WINDOW_MANAGER:-} ]]; then
    echo "PASS"
    exit 0
fi

# Under the window manager, without the automatic receive from here on.
sed -i 's/<AutoReceive Value="1"\/>/<AutoReceive Value="0"\/>/' "$preferences"
start_main_window() {
    start_program "$1"
    wait_until 30 has_window "$main_title" || fail "$1: no main window"
    main=$(visible_windows "$main_title")
}
quit_by_shortcut() {
    xdotool windowactivate --sync "$main" key ctrl+q
    expect_exit_code_zero "$pid" "$1: Ctrl+Q"
}

# Starts the program and waits until its window is where and as tall as the preferences say.
start_at_stored_place() {
    expected="$(stored MainWindowPositionX) $(stored MainWindowPositionY) 720 $(stored MainWindowHeight)"
    start_main_window "$1"
    opened_as_stored() { client_geometry "$main" && [[ "$X $Y $WIDTH $HEIGHT" == "$expected" ]]; }
    wait_until 10 opened_as_stored || fail "$1: the window opened at $X $Y $WIDTH $HEIGHT, not $expected"
}

# Three rounds of quitting and starting again: the window opens where and as tall as it was.
for round in 1 2 3; do
    start_at_stored_place "round $round"
    quit_by_shortcut "round $round"
    [[ "$(stored MainWindowPositionX) $(stored MainWindowPositionY) $(stored MainWindowWidth) $(stored MainWindowHeight)" == "$expected" ]] ||
        fail "round $round: the window was stored elsewhere"
done

# A click on a menu title after a pause opens the menu at once. The pause is the point of the
# check: the window goes more than three seconds without painting while the pointer rests there.
program_path=$desktop_bin
start_at_stored_place "menu and limits"
xdotool mousemove $((X + 20)) $((Y + 10))
sleep 3.5
windows_before=$(visible_windows '' | wc -l)
xdotool click 1
wait_until 2 menu_opened || fail "a click on the menu title after a pause opened no menu"
xdotool key Escape
wait_until 10 eval '(($(visible_windows "" | wc -l) == windows_before))' || fail "the menu did not close"

# The size limits the window manager is given, and what a resize request comes to.
hints=$(xprop -id "$main" WM_NORMAL_HINTS)
limits_handed_on() {
    hints=$(xprop -id "$main" WM_NORMAL_HINTS)
    [[ $hints == *"minimum size: 720 by 280"* && $hints == *"maximum size: 720 by 1400"* ]]
}
wait_until 10 limits_handed_on || fail "the window manager was given other limits: $hints"
xdotool windowsize "$main" 500 100
wait_until 10 has_size "$main" 720 280 || fail "a resize request below the limits ended at ${WIDTH}x$HEIGHT"
xdotool windowsize "$main" 900 2000
wait_until 10 has_size "$main" 720 1400 || fail "a resize request above the limits ended at ${WIDTH}x$HEIGHT"
xdotool windowsize "$main" 720 500
wait_until 10 has_size "$main" 720 500 || fail "a resize request within the limits ended at ${WIDTH}x$HEIGHT"
client_geometry "$main"
last_geometry="$X $Y $WIDTH $HEIGHT"

# Shortcuts still work after the window manager closed a dialog on Alt+F4: it holds the keyboard
# for its own shortcut, so the dialog's Alt comes up unseen by the program.
preferences_title='^Preferences$'
chooser_title='^Import User Unit$'
xdotool windowactivate --sync "$main" key ctrl+comma
wait_until 10 has_window "$preferences_title" || fail "Ctrl+, opened no preferences window"
xdotool key alt+F4
wait_until 10 has_no_window "$preferences_title" || fail "Alt+F4 did not close the preferences window"
has_exited "$pid" && fail "Alt+F4 to the preferences window ended the program"
opens_chooser() { xdotool key ctrl+i && wait_until 2 has_window "$chooser_title"; }
wait_until 10 opens_chooser || fail "Ctrl+I opened no file chooser after Alt+F4 closed the preferences window"
[[ -e $home/zenity.pid ]] && fail "under LANG=C the import started the desktop chooser"
xdotool key Escape
wait_until 10 has_no_window "$chooser_title" || fail "Escape did not close the file chooser"

# With an edit, the frame's close button asks first: Escape keeps the program, Yes ends it.
xdotool windowactivate --sync "$main" key ctrl+k
wait_until 10 has_window 'Untitled \(edited\)$' || fail "clearing a slot did not mark the title as edited"
question_title='^Unsent Changes$'
click_close_button() {
    client_geometry "$main"
    local top
    top=$(xprop -id "$main" _NET_FRAME_EXTENTS | awk -F', ' '{print $3}')
    ((top > 0)) || fail "the window has no title bar from the window manager"
    click_at $((X + WIDTH - top / 2)) $((Y - top / 2))
}
asks() { click_close_button && wait_until 2 has_window "$question_title"; }
wait_until 20 asks || fail "the close button did not ask about the edit"
xdotool key Escape
wait_until 10 has_no_window "$question_title" || fail "Escape did not close the question"
has_exited "$pid" && fail "Escape to the question ended the program"

# Alt+F4 on the main window asks the same question. Alt let go a moment before F4, as fingers often
# do, comes up while the window manager holds the keyboard for its shortcut, unseen by the program;
# Escape must still answer the question. The keys are paced as a hand presses them.
question_has_focus() { [[ $(xdotool getwindowfocus) == "$(visible_windows "$question_title")" ]]; }
xdotool windowactivate --sync "$main"
xdotool keydown alt sleep 0.05 keydown F4 sleep 0.05 keyup alt sleep 0.05 keyup F4
wait_until 10 has_window "$question_title" || fail "Alt+F4 on the main window did not ask about the edit"
wait_until 10 question_has_focus || fail "the question Alt+F4 brought up did not take the keyboard"
xdotool key Escape
wait_until 10 has_no_window "$question_title" || fail "Escape did not close the question Alt+F4 brought up"
has_exited "$pid" && fail "Escape to the question Alt+F4 brought up ended the program"

wait_until 20 asks || fail "the close button did not ask again"
client_geometry "$(visible_windows "$question_title")"
click_at $((X + 60)) $((Y + 100))
expect_exit_code_zero "$pid" "Yes to the close button's question"
stored_geometry="$(stored MainWindowPositionX) $(stored MainWindowPositionY) $(stored MainWindowWidth) $(stored MainWindowHeight)"
[[ $stored_geometry == "$last_geometry" ]] || fail "stored $stored_geometry, not the window's last $last_geometry"

# With the desktop's chooser open and no edit, the close button ends the program and the chooser at once.
export LANG=C.UTF-8
start_main_window "desktop chooser"
xdotool windowactivate --sync "$main" key ctrl+i
wait_until 10 test -s "$home/zenity.pid" || fail "Ctrl+I started no desktop chooser"
chooser=$(<"$home/zenity.pid")
click_close_button
wait_until 10 has_exited "$pid" || fail "the close button did not end the program while the desktop chooser was open"
expect_exit_code_zero "$pid" "close button while the desktop chooser was open"
# Ended: gone, or a zombie that nobody has waited for yet.
chooser_ended() { [[ ! -e /proc/$chooser/stat || $(awk '{print $3}' "/proc/$chooser/stat" 2>/dev/null) == Z ]]; }
wait_until 10 chooser_ended || fail "the desktop chooser outlived the program"

echo "PASS"
