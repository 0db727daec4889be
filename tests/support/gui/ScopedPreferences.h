#pragma once

#include "support/TemporaryFolder.h"

#include <juce_core/juce_core.h>

namespace test::gui
{
// Gives the scope fresh, empty preferences in a temporary folder: the preferences object
// held before is deleted (saving into wherever it pointed) and the next getInstance()
// loads from the temporary folder. At the end the scope's object is deleted and the
// folder removed, so no test touches the user's preferences.
class ScopedPreferences
{
public:
    ScopedPreferences();
    ~ScopedPreferences();

    const juce::File& folder() const noexcept { return temporaryFolder.getFolder(); }

private:
    TemporaryFolder temporaryFolder;
};
} // namespace test::gui
