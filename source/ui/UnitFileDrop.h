#pragma once

#include <juce_core/juce_core.h>

namespace ui
{
// True when the path ends in one of the unit-file extensions, in any letter case.
bool hasUnitFileExtension(const juce::String& path);

// Position of the first path with a unit-file extension; -1 when there is none.
int findFirstUnitFile(const juce::StringArray& paths);
} // namespace ui
