#include "ui/SelectedTabStatus.h"

namespace ui
{
void SelectedTabStatus::setCurrentTab(int index, const juce::String& name)
{
    currentTabIndex = index;
    currentTabName = name;
    notifyListenersLater();
}
} // namespace ui
