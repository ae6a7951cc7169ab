// The main window's states as one table: for each control, whether it is enabled in
// the view and edit states, idle and busy, composed.
#include <gtest/gtest.h>

#include "shell/WindowState.h"

namespace zb::shell {
namespace {

TEST(WindowStateTest, EveryControlInEveryStateFollowsTheTable) {
    using C = WindowControl;
    // Enabled in: view+idle, view+busy, edit+idle, edit+busy.
    struct Row {
        C control;
        bool viewIdle, viewBusy, editIdle, editBusy;
    };
    const Row table[] = {
        {C::ProjectBox, true, false, false, false},      {C::RenameProject, true, false, false, false},
        {C::NewProject, true, false, false, false},      {C::EditProject, true, false, false, false},
        {C::DeleteProject, true, false, false, false},   {C::Preferences, true, false, false, false},
        {C::StartBackup, true, false, false, false},     {C::StartRestore, true, false, false, false},
        {C::TrayBackupItems, true, false, false, false}, {C::Pages, true, false, true, false},
        {C::SaveProject, false, false, true, true},      {C::CancelEdit, false, false, true, true},
        {C::GroupSource, false, false, true, true},      {C::GroupDestination, false, false, true, true},
        {C::GroupOptions, false, false, true, true},     {C::GroupSchedule, false, false, true, true},
    };
    ASSERT_EQ(std::size(table), std::size(kAllWindowControls));
    for (const Row& row : table) {
        const bool expected[4] = {row.viewIdle, row.viewBusy, row.editIdle, row.editBusy};
        for (int i = 0; i < 4; ++i) {
            WindowState state;
            SetViewState(state, i < 2);
            SetIdleState(state, i % 2 == 0);
            EXPECT_EQ(controlEnabled(state, row.control), expected[i])
                << "control " << int(row.control) << " state " << i;
            EXPECT_EQ(hourglass(state), i % 2 == 1);
            EXPECT_EQ(timerMayStart(state), i == 0);
        }
    }
}

TEST(WindowStateTest, EditNeedsAProjectAndNoRun) {
    WindowState state;
    EXPECT_FALSE(SpEditClick(state, false));
    EXPECT_TRUE(state.viewing);
    SetIdleState(state, false);
    EXPECT_FALSE(SpEditClick(state, true));
    EXPECT_TRUE(state.viewing);
    SetIdleState(state, true);
    EXPECT_TRUE(SpEditClick(state, true));
    EXPECT_FALSE(state.viewing);
    EXPECT_FALSE(controlEnabled(state, WindowControl::StartBackup));
}

}  // namespace
}  // namespace zb::shell
