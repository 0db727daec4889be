#pragma once

#include "core/AsyncNotifier.h"
#include "core/Singleton.h"

#include <juce_events/juce_events.h>

#include <vector>

namespace ui
{
// Observer of one list's selected rows; told asynchronously, on the message thread.
template <typename ListTag> class SelectedRowsStatusObserver
{
public:
    virtual ~SelectedRowsStatusObserver() = default;
    virtual void selectedRowsChanged() = 0;
};

// The selected rows of one slot list, as ascending zero-based row numbers. It starts as the
// single row 0, so a command that runs before the list first reports its selection acts on
// the first slot. Written by the list's controller whenever the selection changes (a tab
// switch leaves it as it is); read by the commands and the import flow. Message thread only.
template <typename ListTag>
class SelectedRowsStatus : public AsyncNotifier<SelectedRowsStatusObserver<ListTag>>,
                           public Singleton<SelectedRowsStatus<ListTag>>,
                           public juce::DeletedAtShutdown
{
public:
    SelectedRowsStatus() = default;
    ~SelectedRowsStatus() override = default;

    const std::vector<int>& getSelectedRows() const noexcept { return selectedRows; }

    // Replaces the rows with a copy of rows and asks for one coalesced notification.
    void setSelectedRows(const std::vector<int>& rows)
    {
        selectedRows = rows;
        this->notifyListenersLater();
    }

private:
    void notifyListener(SelectedRowsStatusObserver<ListTag>& observer) override { observer.selectedRowsChanged(); }

    std::vector<int> selectedRows{0};

    JUCE_DECLARE_NON_COPYABLE(SelectedRowsStatus)
};

struct UserOscList;
struct UserModFXList;
struct UserDelFXList;
struct UserRevFXList;

using SelectedUserOscStatus = SelectedRowsStatus<UserOscList>;
using SelectedUserModFXStatus = SelectedRowsStatus<UserModFXList>;
using SelectedUserDelFXStatus = SelectedRowsStatus<UserDelFXList>;
using SelectedUserRevFXStatus = SelectedRowsStatus<UserRevFXList>;

using SelectedUserOscStatusObserver = SelectedRowsStatusObserver<UserOscList>;
using SelectedUserModFXStatusObserver = SelectedRowsStatusObserver<UserModFXList>;
using SelectedUserDelFXStatusObserver = SelectedRowsStatusObserver<UserDelFXList>;
using SelectedUserRevFXStatusObserver = SelectedRowsStatusObserver<UserRevFXList>;

// The selected rows of the list shown by the given tab (0 oscillators, 1 modulation, 2 delay,
// 3 reverb effects); null for any other index, which selects no list.
const std::vector<int>* selectedRowsOfTab(int tabIndex);
} // namespace ui
