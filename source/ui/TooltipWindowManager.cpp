#include "ui/TooltipWindowManager.h"

namespace w40388_ui
{
void TooltipWindowManager::createTooltipWindow()
{
    if (tooltipWindow == nullptr)
        tooltipWindow = std::make_unique<juce::TooltipWindow>(nullptr, tooltipDelayMs);
}
} // namespace w40388_ui
