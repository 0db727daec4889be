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

// The area that wholly holds bounds, else the one it overlaps most, else the first.
const juce::Rectangle<int>* displayHolding(const juce::Rectangle<int>& bounds,
                                           const std::vector<juce::Rectangle<int>>& areas)
{
    for (const auto& area : areas)
        if (area.contains(bounds))
            return &area;

    const auto* most = &areas.front();
    for (const auto& area : areas)
        if (overlap(area, bounds) > overlap(*most, bounds))
            most = &area;
    return most;
}
} // namespace

int limitMainWindowHeight(int height) noexcept
{
    return juce::jlimit(MainWindowSize::minHeight, MainWindowSize::maxHeight, height);
}

MainWindowPlacement placeMainWindow(const StoredWindowGeometry& stored,
                                    const std::vector<juce::Rectangle<int>>& displayAreas,
                                    const juce::BorderSize<int>& frame)
{
    const bool centred = stored.x < 0 || stored.y < 0;
    juce::Rectangle<int> client(centred ? 0 : stored.x, centred ? 0 : stored.y, MainWindowSize::width,
                                limitMainWindowHeight(stored.height));
    if (displayAreas.empty())
        return {client, !centred};

    const auto* target = centred ? &displayAreas.front() : displayHolding(frame.addedTo(client), displayAreas);

    const int fittingHeight = target->getHeight() - frame.getTopAndBottom();
    if (client.getHeight() > fittingHeight)
        client.setHeight(std::max(MainWindowSize::minHeight, fittingHeight));

    auto outer = frame.addedTo(client);
    if (centred)
        outer.setCentre(target->getCentre());
    else if (!target->contains(outer))
        outer = moveInto(outer, *target);
    return {frame.subtractedFrom(outer), !centred};
}
} // namespace w40388_ui
