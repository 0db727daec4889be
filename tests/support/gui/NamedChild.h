#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <stdexcept>

namespace test::gui
{
// The direct child of parent of type T with the given component name; throws when there is none.
template <typename T> T& namedChild(juce::Component& parent, const juce::String& name)
{
    for (auto* child : parent.getChildren())
        if (auto* found = dynamic_cast<T*>(child); found != nullptr && child->getName() == name)
            return *found;
    throw std::runtime_error(("no child " + name).toStdString());
}
} // namespace test::gui
