#pragma once

// Services that start-up, the commands and the preferences window share. Message thread only.
namespace w40388_application
{
// Copies the port settings of the preferences into the MIDI device manager: automatic
// mode, or manual mode with the stored input and output port names. Connects nothing.
void applyMidiPortPreferences();

// The "ListHeight" preference as the lists read it: 0 when it is missing, and the largest row
// height the preferences window offers when it is larger than that, so that a hand-edited or
// damaged file cannot ask for rows whose layout (rows times their height) overflows.
int readListHeight();

// Sizes the list fonts ("ListNumber", "ListName", "ListCategory") from readListHeight() (six
// tenths of it, truncated), then tells the preference observers so the lists re-read their row
// height. Returns the font height.
int applyListFontHeights();

// Asks whether unsent edits may be discarded. Returns 0 to go on (no edits, or Yes) and
// 1 to stay (No, Cancel, Escape, or another dialog already open: then nothing is shown).
int confirmDiscardChanges();
} // namespace w40388_application
