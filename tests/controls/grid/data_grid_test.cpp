// The grid window driven with real mouse and keys, asserted over the text
// dump of its model and the notifications its owner receives.
#include "tests/controls/grid/file_list_grid.h"

#include "controls/grid/grid_inplace_edit.h"

#include <QLineEdit>
#include <gtest/gtest.h>

using Notes = std::vector<std::string>;

namespace {

QLineEdit* OpenEditor(FileListGrid& list) { return list.Client()->findChild<QLineEdit*>(); }

} // namespace

TEST(DataGrid, AClickSelectsTheRowAndFocusesTheCell) {
    FileListGrid list;
    list.Click(2, 1);
    EXPECT_EQ(list.grid.GetFocusCell(), CGridCellRef(2, 1));
    EXPECT_EQ(list.grid.GetSelectedCellRange(), CGridCellRange(2, 0, 2, 5));
    EXPECT_EQ(list.Row(2), "row 2 h18: [x] \"\" SELECTED|READONLY | \"doc2.pdf\" FOCUSED|SELECTED|READONLY | "
                           "\"12 KB\" SELECTED|READONLY | \"10:00:00 12/10/2026\" SELECTED|READONLY | \"\" SELECTED | "
                           "\"\" SELECTED");
    EXPECT_EQ(list.owner.notes,
              (Notes{"ITEMCHANGING 2,1", "ITEMCHANGED 2,1", "CLICK 2,1", "WM_COMMAND BN_CLICKED"}));

    // Ctrl+click on the selected row deselects it and keeps the focus there.
    list.Click(2, 2, Qt::ControlModifier);
    EXPECT_EQ(list.grid.GetSelectedCount(), 0);
    EXPECT_EQ(list.grid.GetFocusCell(), CGridCellRef(2, 2));

    // Shift+click and Shift+Down still select one row.
    list.Click(1, 1);
    list.Click(3, 1, Qt::ShiftModifier);
    EXPECT_EQ(list.grid.GetSelectedCellRange(), CGridCellRange(3, 0, 3, 5));
    list.Key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(list.grid.GetSelectedCellRange(), CGridCellRange(4, 0, 4, 5));
}

TEST(DataGrid, TheCheckBoxTogglesOnAClickOnTheBoxOnly) {
    FileListGrid list;
    auto* check = static_cast<CGridCellCheck*>(list.grid.GetCell(1, 0));
    const RECT box = check->GetCheckPlacement();
    ASSERT_FALSE(box.IsRectEmpty());
    QTest::mouseClick(list.Client(), Qt::LeftButton, {}, QPoint((box.left + box.right) / 2, (box.top + box.bottom) / 2));
    EXPECT_FALSE(check->GetCheck());
    EXPECT_NE(list.Row(1).find("[ ]"), std::string::npos);
    list.Click(1, 1); // the name cell: the box stays
    EXPECT_FALSE(check->GetCheck());
}

TEST(DataGrid, PasswordCellsAreEditedInPlace) {
    FileListGrid list;
    list.Click(1, 4);            // focus the owner password cell
    list.owner.notes.clear();
    list.Click(1, 4);            // a press on the focus cell's text: the edit starts on release
    QLineEdit* editor = OpenEditor(list);
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->hasFocus());
    QTest::keyClicks(editor, "secret");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(list.grid.GetItemText(1, 4), "secret");
    EXPECT_EQ(list.grid.GetFocusCell(), CGridCellRef(1, 4));
    EXPECT_TRUE(list.grid.GetItemState(1, 4) & GCS_MODIFIED);
    EXPECT_EQ(list.owner.notes, (Notes{"BEGINLABELEDIT 1,4", "WM_COMMAND BN_CLICKED", "ENDLABELEDIT 1,4"}));

    // Typing on the grid opens the editor with that letter replacing the text.
    list.Key(Qt::Key_X);
    editor = OpenEditor(list);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "x");
    // Escape puts the text back: nothing is reported.
    list.owner.notes.clear();
    list.Key(Qt::Key_Escape);
    EXPECT_EQ(list.grid.GetItemText(1, 4), "secret");
    EXPECT_EQ(list.owner.notes, Notes{});

    // Tab commits and edits the next cell.
    list.Key(Qt::Key_Backspace); // the caret at the end, the last letter deleted
    editor = OpenEditor(list);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "secre");
    list.Key(Qt::Key_Tab);
    EXPECT_EQ(list.grid.GetItemText(1, 4), "secre");
    EXPECT_EQ(list.grid.GetFocusCell(), CGridCellRef(1, 5));
    EXPECT_TRUE(list.grid.IsItemEditing(1, 5));
    list.Key(Qt::Key_Escape);
}

TEST(DataGrid, TheOwnerMayRefuseAnEdit) {
    FileListGrid list;
    list.Click(1, 5);
    list.owner.endEditAnswer = -1; // the change is undone but stays marked
    list.Key(Qt::Key_Q);
    list.Key(Qt::Key_Return);
    EXPECT_EQ(list.grid.GetItemText(1, 5), "");
    EXPECT_TRUE(list.grid.GetItemState(1, 5) & GCS_MODIFIED);
    list.owner.beginEditAnswer = -1; // no editor at all
    list.Key(Qt::Key_Q);
    EXPECT_EQ(OpenEditor(list) == nullptr || !OpenEditor(list)->isVisible(), true);
    // Read-only cells never edit.
    list.owner.beginEditAnswer = 0;
    list.Click(1, 1);
    list.Key(Qt::Key_Q);
    EXPECT_FALSE(list.grid.IsItemEditing(1, 1));
}

TEST(DataGrid, KeysMoveTheFocusWithinTheEntries) {
    FileListGrid list(4);
    list.grid.SetRowHeight(3, 0); // a hidden row is stepped over
    list.Click(1, 1);
    list.Key(Qt::Key_Up); // never into the header
    EXPECT_EQ(list.grid.GetFocusCell(), CGridCellRef(1, 1));
    list.Key(Qt::Key_Down);
    list.Key(Qt::Key_Down);
    EXPECT_EQ(list.grid.GetFocusCell(), CGridCellRef(4, 1));
    list.Key(Qt::Key_Down); // the last row
    EXPECT_EQ(list.grid.GetFocusCell(), CGridCellRef(4, 1));
    list.Key(Qt::Key_End);
    EXPECT_EQ(list.grid.GetFocusCell(), CGridCellRef(4, 5));
    list.Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(list.grid.GetFocusCell(), CGridCellRef(1, 0));
    list.owner.notes.clear();
    list.Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(list.grid.GetSelectedCount(), 4 * 6);
    EXPECT_EQ(list.owner.notes.front().substr(0, 12), "ITEMCHANGING");
    EXPECT_EQ(list.owner.notes.back(), "ITEMCHANGED 1,0");
}

TEST(DataGrid, RightClicksMoveTheFocusAndKeepTheSelection) {
    FileListGrid list;
    list.Click(2, 1);
    list.owner.notes.clear();
    QTest::mouseClick(list.Client(), Qt::RightButton, {}, list.Centre(0, 3)); // a header cell
    EXPECT_EQ(list.grid.GetFocusCell(), CGridCellRef(1, 3));
    EXPECT_EQ(list.grid.GetSelectedCellRange(), CGridCellRange(2, 0, 2, 5));
    EXPECT_EQ(list.owner.notes, Notes{"RCLICK 0,3"});
    list.owner.notes.clear();
    QTest::mouseClick(list.Client(), Qt::RightButton, {}, QPoint(650, 250)); // outside the cells
    EXPECT_EQ(list.owner.notes, Notes{"RCLICK -1,-1"});
}
