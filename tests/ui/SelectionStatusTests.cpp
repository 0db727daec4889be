#include "support/MessageLoop.h"
#include "ui/CustomTabbedComponent.h"
#include "ui/SelectedRowsStatus.h"
#include "ui/SelectedTabStatus.h"

#include <gtest/gtest.h>

namespace
{
using Rows = std::vector<int>;

struct CountingObserver : ui::SelectedTabStatusObserver, ui::SelectedUserOscStatusObserver
{
    void selectedTabStatusChanged() override
    {
        ++calls;
        seenTabIndex = ui::SelectedTabStatus::getInstance()->getCurrentTabIndex();
    }
    void selectedRowsChanged() override { ++calls; }
    int calls = 0, seenTabIndex = -1;
};

TEST(SelectionStatus, ListsStartAtRowZeroKeepTheirOwnRowsAndTabAndRowsNotifyOncePerBurst)
{
    // From freshly created statuses.
    delete ui::SelectedTabStatus::getInstanceWithoutCreating();
    delete ui::SelectedUserOscStatus::getInstanceWithoutCreating();
    delete ui::SelectedUserModFXStatus::getInstanceWithoutCreating();
    delete ui::SelectedUserDelFXStatus::getInstanceWithoutCreating();
    delete ui::SelectedUserRevFXStatus::getInstanceWithoutCreating();
    auto* tabStatus = ui::SelectedTabStatus::getInstance();
    auto* oscillators = ui::SelectedUserOscStatus::getInstance();
    EXPECT_EQ(tabStatus->getCurrentTabIndex(), 0);
    for (int tab = 0; tab < 4; ++tab)
        EXPECT_EQ(*ui::selectedRowsOfTab(tab), Rows{0}) << "tab " << tab;
    ui::CustomTabbedComponent tabs(juce::TabbedButtonBar::TabsAtTop);
    for (const auto* name : {"USER OSCILLATORS", "USER MODULATION FX", "USER DELAY FX", "USER REVERB FX"})
        tabs.addTab(name, juce::Colour(0xFF222222), new juce::Component(), true);
    test::drainMessageLoop();

    CountingObserver observer;
    tabStatus->addListener(&observer);
    oscillators->addListener(&observer);
    oscillators->setSelectedRows({1});
    oscillators->setSelectedRows({2, 5});
    ui::SelectedUserDelFXStatus::getInstance()->setSelectedRows({3, 4, 7});
    ui::SelectedUserRevFXStatus::getInstance()->setSelectedRows({});
    for (int change = 0; change < 10; ++change)
        tabs.setCurrentTabIndex(change % 4);
    tabs.setCurrentTabIndex(2);
    EXPECT_EQ(observer.calls, 0);
    test::drainMessageLoop();
    EXPECT_EQ(observer.calls, 2); // once for the tab, once for the oscillator rows
    EXPECT_EQ(observer.seenTabIndex, 2);
    EXPECT_EQ(tabStatus->getCurrentTabName(), "USER DELAY FX");
    tabStatus->removeListener(&observer);
    oscillators->removeListener(&observer);

    EXPECT_EQ(*ui::selectedRowsOfTab(0), (Rows{2, 5}));
    EXPECT_EQ(*ui::selectedRowsOfTab(1), Rows{0});
    EXPECT_EQ(*ui::selectedRowsOfTab(2), (Rows{3, 4, 7}));
    EXPECT_TRUE(ui::selectedRowsOfTab(3)->empty());
    EXPECT_EQ(ui::selectedRowsOfTab(4), nullptr);
    EXPECT_EQ(ui::selectedRowsOfTab(-1), nullptr);
}
} // namespace
