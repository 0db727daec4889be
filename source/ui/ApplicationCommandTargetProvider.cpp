#include "ui/ApplicationCommandTargetProvider.h"

namespace ui
{
namespace
{
ApplicationCommandTargetProvider& installedProvider()
{
    static ApplicationCommandTargetProvider provider;
    return provider;
}
} // namespace

void setApplicationCommandTargetProvider(ApplicationCommandTargetProvider provider)
{
    installedProvider() = std::move(provider);
}

juce::ApplicationCommandTarget* findApplicationCommandTarget()
{
    const auto& provider = installedProvider();
    return provider ? provider() : nullptr;
}
} // namespace ui
