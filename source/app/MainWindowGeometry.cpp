#include "app/MainWindowGeometry.h"

#include <algorithm>

namespace w40388_ui
{
namespace
{
juce::int64 overlap(const juce::Rectangle<int>& a, const juce::Rectangle<int>& b)
{
    const auto common = a.getIntersection(b);
    return static_cast<juce::int64>(common.getWidth()) * common.getHeight();
}

// Moves bounds the least distance that puts it inside area; a side longer than the area's starts
// at the area's edge.
juce::Rectangle<int> moveInto(juce::Rectangle<int> bounds, const juce::Rectangle<int>& area)
{
    const int x = std::max(area.getX(), std::min(bounds.getX(), area.getRight() - bounds.getWidth()));
    const int y = std::max(area.getY(), std::min(bounds.getY(), area.getBottom() - bounds.getHeight()));
    return bounds.withPosition(x, y);
}
} // namespace

int limitMainWindowHeight(int height) noexcept
{
    return juce::jlimit(MainWindowSize::minHeight, MainWindowSize::maxHeight, height);
}

MainWindowPlacement placeMainWindow(const StoredWindowGeometry& stored,
                                    const std::vector<juce::Rectangle<int>>& displayAreas)
{
    const int height = limitMainWindowHeight(stored.height);
    const juce::Rectangle<int> size(MainWindowSize::width, height);

    if (stored.x < 0 || stored.y < 0)
    {
        const auto mainArea = displayAreas.empty() ? juce::Rectangle<int>() : displayAreas.front();
        return {size.withCentre(mainArea.getCentre()), false};
    }

    const auto bounds = size.withPosition(stored.x, stored.y);
    if (displayAreas.empty())
        return {bounds, true};

    for (const auto& area : displayAreas)
        if (area.contains(bounds))
            return {bounds, true};

    const auto* target = &displayAreas.front();
    for (const auto& area : displayAreas)
        if (overlap(area, bounds) > overlap(*target, bounds))
            target = &area;

    return {moveInto(bounds, *target), true};
}
} // namespace w40388_ui
