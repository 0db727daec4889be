#include "support/MessageLoop.h"
#include "ui/CustomTabbedComponent.h"
#include "ui/SelectedRowsStatus.h"
#include "ui/SelectedTabStatus.h"

#include <gtest/gtest.h>

namespace
{
template <typename Status> void forget()
{
    delete Status::getInstanceWithoutCreating();
}

class SelectionStatusTest : public testing::Test
{
protected:
    void SetUp() override
    {
        forget<ui::SelectedTabStatus>();
        forget<ui::SelectedUserOscStatus>();
        forget<ui::SelectedUserModFXStatus>();
        forget<ui::SelectedUserDelFXStatus>();
        forget<ui::SelectedUserRevFXStatus>();
    }
};

struct CountingTabObserver : ui::SelectedTabStatusObserver
{
    void selectedTabStatusChanged() override
    {
        ++calls;
        seenIndex = ui::SelectedTabStatus::getInstance()->getCurrentTabIndex();
    }
    int calls = 0;
    int seenIndex = -1;
};

struct CountingOscObserver : ui::SelectedUserOscStatusObserver
{
    void selectedRowsChanged() override { ++calls; }
    int calls = 0;
};

TEST_F(SelectionStatusTest, EveryListStartsWithRowZeroSelected)
{
    const std::vector<int> rowZero{0};
    EXPECT_EQ(ui::SelectedUserOscStatus::getInstance()->getSelectedRows(), rowZero);
    EXPECT_EQ(ui::SelectedUserModFXStatus::getInstance()->getSelectedRows(), rowZero);
    EXPECT_EQ(ui::SelectedUserDelFXStatus::getInstance()->getSelectedRows(), rowZero);
    EXPECT_EQ(ui::SelectedUserRevFXStatus::getInstance()->getSelectedRows(), rowZero);
    EXPECT_EQ(ui::SelectedTabStatus::getInstance()->getCurrentTabIndex(), 0);
}

TEST_F(SelectionStatusTest, RowWritesCoalesceIntoOneNotification)
{
    auto* status = ui::SelectedUserOscStatus::getInstance();
    CountingOscObserver observer;
    status->addListener(&observer);

    status->setSelectedRows({1});
    status->setSelectedRows({2, 5});
    EXPECT_EQ(observer.calls, 0);
    test::drainMessageLoop();

    EXPECT_EQ(observer.calls, 1);
    EXPECT_EQ(status->getSelectedRows(), (std::vector<int>{2, 5}));
    status->removeListener(&observer);

    status->setSelectedRows({});
    EXPECT_TRUE(status->getSelectedRows().empty());
}

TEST_F(SelectionStatusTest, TabIndexSelectsTheRowsOfItsList)
{
    ui::SelectedUserDelFXStatus::getInstance()->setSelectedRows({3, 4, 7});

    EXPECT_EQ(*ui::selectedRowsOfTab(0), (std::vector<int>{0}));
    EXPECT_EQ(*ui::selectedRowsOfTab(2), (std::vector<int>{3, 4, 7}));
    EXPECT_EQ(ui::selectedRowsOfTab(4), nullptr);
    EXPECT_EQ(ui::selectedRowsOfTab(-1), nullptr);
}

TEST_F(SelectionStatusTest, TabbedComponentRecordsTabChangesAndLeavesRowsAlone)
{
    ui::CustomTabbedComponent tabs(juce::TabbedButtonBar::TabsAtTop);
    for (const auto* name : {"USER OSCILLATORS", "USER MODULATION FX", "USER DELAY FX", "USER REVERB FX"})
        tabs.addTab(name, juce::Colour(0xFF222222), new juce::Component(), true);
    test::drainMessageLoop();

    auto* tabStatus = ui::SelectedTabStatus::getInstance();
    CountingTabObserver observer;
    tabStatus->addListener(&observer);
    ui::SelectedUserOscStatus::getInstance()->setSelectedRows({2, 5});

    for (int change = 0; change < 10; ++change)
        tabs.setCurrentTabIndex(change % 4);
    tabs.setCurrentTabIndex(2);
    test::drainMessageLoop();

    EXPECT_EQ(observer.calls, 1);
    EXPECT_EQ(observer.seenIndex, 2);
    EXPECT_EQ(tabStatus->getCurrentTabIndex(), 2);
    EXPECT_EQ(tabStatus->getCurrentTabName(), "USER DELAY FX");

    tabs.setCurrentTabIndex(0);
    EXPECT_EQ(ui::SelectedUserOscStatus::getInstance()->getSelectedRows(), (std::vector<int>{2, 5}));
    EXPECT_EQ(ui::SelectedUserDelFXStatus::getInstance()->getSelectedRows(), (std::vector<int>{0}));
    tabStatus->removeListener(&observer);
}
} // namespace
