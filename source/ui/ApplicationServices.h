#pragma once

// Services that start-up, the commands and the preferences window share. Message thread only.
namespace w40388_application
{
// Copies the port settings of the preferences into the MIDI device manager: automatic
// mode, or manual mode with the stored input and output port names. Connects nothing.
void applyMidiPortPreferences();

// Sizes the list fonts ("ListNumber", "ListName", "ListCategory") from the "ListHeight"
// preference (six tenths of it, truncated; 0 when it is missing), then tells the
// preference observers so the lists re-read their row height. Returns the font height.
int applyListFontHeights();

// Asks whether unsent edits may be discarded. Returns 0 to go on (no edits, or Yes) and
// 1 to stay (No, Cancel, Escape, or another dialog already open: then nothing is shown).
int confirmDiscardChanges();
} // namespace w40388_application
