#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace ui
{
// Where components of this layer (the slot panes) hand on commands they do not handle: the
// application's command target, which lives in the application layer above. The application sets
// the provider at start-up; until then, and after it is cleared, there is no next target.
// Message thread only.
using ApplicationCommandTargetProvider = std::function<juce::ApplicationCommandTarget*()>;

// Installs the provider (an empty function removes it).
void setApplicationCommandTargetProvider(ApplicationCommandTargetProvider provider);

// The provider's target, or nullptr when no provider is installed.
juce::ApplicationCommandTarget* findApplicationCommandTarget();
} // namespace ui
