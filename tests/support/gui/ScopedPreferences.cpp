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

ScopedPreferences::ScopedPreferences() : temporaryFolder("qtr-preferences")
{
    deletePreferences();
    w40388_preferences::PreferencesData::setFolderOverrideForTesting(temporaryFolder.getFolder());
}

ScopedPreferences::~ScopedPreferences()
{
    deletePreferences();
    w40388_preferences::PreferencesData::setFolderOverrideForTesting({});
}
} // namespace test::gui
