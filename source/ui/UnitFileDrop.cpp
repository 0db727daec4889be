#include "ui/UnitFileDrop.h"

#include "data/UnitHeader.h"

namespace ui
{
bool hasUnitFileExtension(const juce::String& path)
{
    for (const auto extension : unitFileExtensions)
        if (path.endsWithIgnoreCase(juce::String(extension.data(), extension.size())))
            return true;
    return false;
}

int findFirstUnitFile(const juce::StringArray& paths)
{
    for (int i = 0; i < paths.size(); ++i)
        if (hasUnitFileExtension(paths[i]))
            return i;
    return -1;
}
} // namespace ui
