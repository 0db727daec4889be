#pragma once

#include <juce_core/juce_core.h>

namespace w40388_application
{
// Splits a command line into tokens: outside double quotes a blank ends the token (two blanks in
// a row give an empty token); a double quote opens a token in which blanks belong to it, up to the
// next double quote; the quotes are dropped; a non-empty token left at the end is added.
juce::StringArray tokenizeCommandLine(const juce::String& commandLine);

// The files a command line names: tokens beginning with "-NS" are skipped with the token after
// them, other tokens beginning with "-" and empty tokens are skipped.
juce::StringArray filesNamedOnCommandLine(const juce::String& commandLine);

// Reads the command line of this launch or of a second one. Nothing is opened or imported, and
// nothing is reported; while a modal dialog is open the line is not even read. Message thread only.
void openFilesFromCommandLine(const juce::String& commandLine);
} // namespace w40388_application
