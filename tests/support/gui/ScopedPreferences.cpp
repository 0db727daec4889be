#include "ScopedPreferences.h"

#include "core/PreferencesData.h"

namespace test::gui
{
namespace
{
void deletePreferences()
{
    delete w40388_preferences::PreferencesData::getInstanceWithoutCreating();
}
} // namespace

ScopedPreferences::ScopedPreferences()
    : temporaryFolder(juce::File::getSpecialLocation(juce::File::tempDirectory)
                          .getNonexistentChildFile("qtr-preferences-", "", false))
{
    temporaryFolder.createDirectory();
    deletePreferences();
    w40388_preferences::PreferencesData::setFolderOverrideForTesting(temporaryFolder);
}

ScopedPreferences::~ScopedPreferences()
{
    deletePreferences();
    w40388_preferences::PreferencesData::setFolderOverrideForTesting({});
    temporaryFolder.deleteRecursively();
}
} // namespace test::gui
