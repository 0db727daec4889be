#pragma once

#include <array>

// Services that start-up, the commands and the preferences window share. Message thread only.
namespace w40388_application
{
// Copies the port settings of the preferences into the MIDI device manager: automatic
// mode, or manual mode with the stored input and output port names. Connects nothing.
void applyMidiPortPreferences();

// The list row heights the preferences window offers, one per step of its slider.
inline constexpr std::array<int, 5> listRowHeights{{20, 25, 30, 35, 40}};

// The step of listRowHeights a row height is shown as: the first step whose height is at least
// rowHeight, the last for anything above it.
int listRowHeightStep(int rowHeight);

// The "ListHeight" preference as the lists and their fonts use it, always one of listRowHeights:
// a stored number is read as the height of its step (below 20 as 20, above 40 as 40), and a
// missing value or one that is no decimal number as the default 25. A hand-edited or damaged file
// can thus neither hide the rows' text nor ask for rows whose layout overflows.
int readListHeight();

// Sizes the list fonts ("ListNumber", "ListName", "ListCategory") from readListHeight() (six
// tenths of it, truncated), then tells the preference observers so the lists re-read their row
// height. Returns the font height.
int applyListFontHeights();

// Asks whether unsent edits may be discarded. Returns 0 to go on (no edits, or Yes) and
// 1 to stay (No, Cancel, Escape, or another dialog already open: then nothing is shown).
int confirmDiscardChanges();
} // namespace w40388_application
