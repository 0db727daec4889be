#pragma once

#include <juce_core/juce_core.h>

namespace test
{
// A folder of the test's own under the temporary directory, created atomically with a
// unique name (mkdtemp), so that test processes running side by side never share one.
// It is removed with everything in it when the object goes.
class TemporaryFolder
{
public:
    // The folder is named "<prefix>-XXXXXX"; throws std::runtime_error when it cannot be made.
    explicit TemporaryFolder(const juce::String& prefix = "qtr-test");
    ~TemporaryFolder();

    const juce::File& getFolder() const noexcept { return folder; }
    juce::File getChildFile(const juce::String& relativePath) const { return folder.getChildFile(relativePath); }

private:
    juce::File folder;

    JUCE_DECLARE_NON_COPYABLE(TemporaryFolder)
};
} // namespace test
