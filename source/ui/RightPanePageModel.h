#pragma once

#include "core/AsyncNotifier.h"
#include "core/Singleton.h"

#include <juce_events/juce_events.h>

namespace w40388_ui
{
// Observer of the page shown beside the lists; told asynchronously, on the message thread.
class RightPanePageModelObserver
{
public:
    virtual void rightPanePageChanged() = 0;
    virtual ~RightPanePageModelObserver() = default;
};

// The index of the page shown beside the slot lists (0). The header observes it; nothing in the
// program changes the page, so the notification only runs when code asks for it. Message thread
// only.
class RightPanePageModel : public Singleton<RightPanePageModel>,
                           public AsyncNotifier<RightPanePageModelObserver>,
                           public juce::DeletedAtShutdown
{
public:
    RightPanePageModel() = default;
    ~RightPanePageModel() override = default;

    int getPageIndex() const noexcept { return pageIndex; }

private:
    void notifyListener(RightPanePageModelObserver& observer) override { observer.rightPanePageChanged(); }

    int pageIndex = 0;

    JUCE_DECLARE_NON_COPYABLE(RightPanePageModel)
};
} // namespace w40388_ui
