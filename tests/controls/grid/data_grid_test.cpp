// The grid window driven with real mouse and keys, asserted over the text
// dump of its model and the notifications its owner receives.
#include "tests/controls/grid/file_list_grid.h"

#include "controls/grid/dc_grid_canvas.h"
#include "controls/grid/grid_inplace_edit.h"
#include "platform/ui/input_state.h"
#include "platform/ui/system_metrics.h"
#include "platform/ui/ui_services.h"

#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QElapsedTimer>
#include <QWheelEvent>
#include <algorithm>
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

TEST(DataGrid, CopyGivesTheSelectedBlockAsTabbedLines) {
    RecordingServices services;
    FileListGrid list;
    list.grid.SetItemText(2, 4, "owner");
    list.grid.SetItemText(2, 5, "user");
    list.Click(2, 1);
    list.Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(services.clipboard, "\tdoc2.pdf\t12 KB\t10:00:00 12/10/2026\towner\tuser");

    // Blocks of cells: unselected cells keep their separators.
    CDataGrid grid(3, 3, 1, 0);
    grid.SetItemText(1, 0, "a");
    grid.SetItemText(1, 1, "b");
    grid.SetItemText(2, 0, "c");
    grid.SetItemText(2, 1, "d");
    grid.SetSelectionStart(CGridCellRef(1, 0));
    grid.SelectCells(CGridCellRef(2, 1));
    EXPECT_EQ(grid.CopyTextFromGrid(), "a\tb\r\nc\td");
    grid.SetSelectedRange(-1, -1, -1, -1);
    grid.SetItemState(1, 0, GCS_SELECTED);
    grid.SetItemState(2, 1, GCS_SELECTED);
    EXPECT_EQ(grid.CopyTextFromGrid(), "a\t\r\n\td");
    grid.SetColumnWidth(1, 0); // a hidden column is left out with its own separator
    EXPECT_EQ(grid.CopyTextFromGrid(), "a\t\r\n\t");
}

TEST(DataGrid, PasteSpreadsTextOverTheEditableCells) {
    RecordingServices services;
    FileListGrid list;
    struct Case {
        const char* text;
        int row, col;
        std::vector<std::string> owner, user;
    } cases[] = {
        {"x,y", 1, 4, {"x", "", ""}, {"y", "", ""}},                      // a comma separates like a tab
        {" x \r\n", 1, 4, {"x", "", ""}, {"", "", ""}},                   // trimmed, the empty rest changes nothing
        {"\tz", 1, 4, {"", "", ""}, {"z", "", ""}},                       // a leading tab: empty text first
        {"p\tq\tr", 2, 4, {"", "p", ""}, {"", "q", ""}},                  // the third text has no column
        {"a\tb\nc\td", 1, 4, {"a", "c", ""}, {"b", "d", ""}},             // lines go down the rows
        {"n", 1, 1, {"", "", ""}, {"", "", ""}},                          // a read-only start stores nothing
    };
    for (const Case& c : cases) {
        for (int row = 1; row <= 3; ++row)
            for (int col : {4, 5})
                list.grid.SetItemText(row, col, "");
        EXPECT_EQ(list.grid.PasteTextToGrid(CGridCellRef(c.row, c.col), c.text), c.col >= 4) << c.text;
        for (int row = 1; row <= 3; ++row) {
            EXPECT_EQ(list.grid.GetItemText(row, 4), c.owner[row - 1]) << c.text << " row " << row;
            EXPECT_EQ(list.grid.GetItemText(row, 5), c.user[row - 1]) << c.text << " row " << row;
        }
    }
}

TEST(DataGrid, PasteFromTheKeyboard) {
    RecordingServices services;
    FileListGrid list;
    services.clipboard = "pw";
    // A selected row starts at its check box, which takes no text: nothing changes.
    list.Click(1, 4);
    list.Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(list.grid.GetItemText(1, 4), "");
    // In a cell being edited, the editor pastes.
    list.Key(Qt::Key_F2);
    list.Key(Qt::Key_V, Qt::ControlModifier);
    list.Key(Qt::Key_Return);
    EXPECT_EQ(list.grid.GetItemText(1, 4), "pw");
}

TEST(DataGrid, PastingAnEmptyClipboardLeavesTheSelection) {
    struct Case {
        std::string clipboard;
        CGridCellRange selectionAfter;
        std::string ownerAfter;
    } cases[] = {
        {"", CGridCellRange(1, 4, 3, 5), "a"},  // no text: nothing at all happens
        {"pw", CGridCellRange(1, 4, 1, 4), "pw"}, // text: the pasted cells are the selection
    };
    for (const Case& c : cases) {
        RecordingServices services;
        FileListGrid list;
        list.grid.SetListMode(false); // cells are selected, not rows
        list.grid.SetSingleRowSelection(false);
        list.grid.SetItemText(1, 4, "a");
        list.Click(1, 4);
        list.Click(3, 5, Qt::ShiftModifier);
        ASSERT_EQ(list.grid.GetSelectedCellRange(), CGridCellRange(1, 4, 3, 5));
        services.clipboard = c.clipboard;
        list.Key(Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(list.grid.GetSelectedCellRange(), c.selectionAfter) << c.clipboard;
        EXPECT_EQ(list.grid.GetItemText(1, 4), c.ownerAfter) << c.clipboard;
    }
}

TEST(DataGrid, DeleteAndCutEmptyTheEditableSelectedCells) {
    RecordingServices services;
    FileListGrid list;
    list.grid.SetItemText(1, 4, "owner");
    list.grid.SetItemText(1, 5, "user");
    list.Click(1, 1);
    list.owner.notes.clear();
    services.clipboard = "untouched";
    list.Key(Qt::Key_Delete);
    EXPECT_EQ(list.grid.GetItemText(1, 4), "");
    EXPECT_EQ(list.grid.GetItemText(1, 5), "");
    EXPECT_EQ(list.grid.GetItemText(1, 1), "doc1.pdf"); // read-only
    EXPECT_EQ(services.clipboard, "untouched");
    EXPECT_EQ(std::count(list.owner.notes.begin(), list.owner.notes.end(), "BEGINLABELEDIT 1,4"), 1);
    EXPECT_EQ(std::count(list.owner.notes.begin(), list.owner.notes.end(), "ENDLABELEDIT 1,4"), 1);

    list.grid.SetItemText(1, 4, "again");
    list.grid.SetEditable(false); // cut refused entirely, copy still works
    list.Key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(list.grid.GetItemText(1, 4), "again");
    EXPECT_EQ(services.clipboard, "untouched");
    list.Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(services.clipboard, "\tdoc1.pdf\t12 KB\t10:00:00 12/10/2026\tagain\t");
}

TEST(DataGrid, ColumnsResizeByDraggingAndDoubleClickingTheirDividers) {
    FileListGrid list;
    // Drag the divider between columns 1 and 2 (x = 169) to x = 200.
    QTest::mouseMove(list.Client(), QPoint(168, 8));
    QTest::mousePress(list.Client(), Qt::LeftButton, {}, QPoint(168, 8));
    QTest::mouseMove(list.Client(), QPoint(190, 8));
    QTest::mouseRelease(list.Client(), Qt::LeftButton, {}, QPoint(200, 8));
    EXPECT_EQ(list.grid.GetColumnWidth(1), 200 - 25);

    // Dragging past the column's own left edge hides it.
    QTest::mouseMove(list.Client(), QPoint(199, 8));
    QTest::mousePress(list.Client(), Qt::LeftButton, {}, QPoint(199, 8));
    QTest::mouseRelease(list.Client(), Qt::LeftButton, {}, QPoint(10, 8));
    EXPECT_EQ(list.grid.GetColumnWidth(1), 0);

    // A double click on a divider fits the column to its widest cell.
    list.grid.SetColumnWidth(1, 144);
    QTest::mouseMove(list.Client(), QPoint(168, 8));
    QTest::mouseDClick(list.Client(), Qt::LeftButton, {}, QPoint(168, 8));
    QTest::mouseRelease(list.Client(), Qt::LeftButton, {}, QPoint(168, 8));
    CGridCellBase* header = list.grid.GetCell(0, 1);
    QImage scratch(1, 1, QImage::Format_RGB32);
    QPainter painter(&scratch);
    CDC dc(&painter);
    CDCGridCanvas canvas(&dc);
    int widest = 0;
    for (int row = 0; row < list.grid.GetRowCount(); ++row)
        widest = std::max(widest, static_cast<int>(list.grid.GetCell(row, 1)->GetCellExtent(&canvas).cx));
    EXPECT_EQ(list.grid.GetColumnWidth(1), widest);
    EXPECT_GT(widest, static_cast<int>(header->GetTextExtent("File Name", &canvas).cx));
}

TEST(DataGrid, ADividerDragStaysWithinTheClientArea) {
    FileListGrid list;
    const int clientWidth = list.grid.GetClientRect().right;
    // Released far beyond the right edge: at most as wide as the client area
    // less the fixed columns (none here).
    QTest::mouseMove(list.Client(), QPoint(168, 8));
    QTest::mousePress(list.Client(), Qt::LeftButton, {}, QPoint(168, 8));
    QTest::mouseMove(list.Client(), QPoint(600, 8));
    QTest::mouseRelease(list.Client(), Qt::LeftButton, {}, QPoint(168 + 1000, 8));
    EXPECT_EQ(list.grid.GetColumnWidth(1), clientWidth);
    // The confinement ends with the drag.
    POINT far{100000, 100000}, reported;
    PinCursorPos(&far);
    GetCursorPos(&reported);
    PinCursorPos(nullptr);
    EXPECT_EQ(reported.x, far.x);

    // Past the column's own left edge still hides it.
    list.grid.SetColumnWidth(1, 144);
    QTest::mouseMove(list.Client(), QPoint(168, 8));
    QTest::mousePress(list.Client(), Qt::LeftButton, {}, QPoint(168, 8));
    QTest::mouseRelease(list.Client(), Qt::LeftButton, {}, QPoint(3, 8));
    EXPECT_EQ(list.grid.GetColumnWidth(1), 0);

    // Rows alike, below the fixed rows' height.
    FileListGrid rows;
    rows.grid.SetFixedColumnCount(1);
    rows.grid.SetRowResize(true);
    const int clientHeight = rows.grid.GetClientRect().bottom;
    QTest::mouseMove(rows.Client(), QPoint(12, 35));
    QTest::mousePress(rows.Client(), Qt::LeftButton, {}, QPoint(12, 35));
    QTest::mouseRelease(rows.Client(), Qt::LeftButton, {}, QPoint(12, 35 + 2000));
    EXPECT_EQ(rows.grid.GetRowHeight(1), clientHeight - 18);

    // Another window taking the mouse in the middle of a drag frees the pointer.
    list.grid.SetColumnWidth(1, 144);
    QTest::mouseMove(list.Client(), QPoint(168, 8));
    QTest::mousePress(list.Client(), Qt::LeftButton, {}, QPoint(168, 8));
    list.owner.SetCapture();
    PinCursorPos(&far);
    GetCursorPos(&reported);
    PinCursorPos(nullptr);
    EXPECT_EQ(reported.x, far.x);
    CWnd::ReleaseCapture();
}

TEST(DataGrid, ADoubleClickOnAStillDividerAutoSizes) {
    // The pointer goes straight to the divider and clicks twice without
    // moving in between: the ordinary double click.
    FileListGrid list;
    list.grid.SetFixedColumnCount(1); // row dividers lie in the fixed column
    list.grid.SetRowResize(true);
    list.grid.SetItemText(2, 1, "a name\nof two lines");
    QImage scratch(1, 1, QImage::Format_RGB32);
    QPainter painter(&scratch);
    CDC dc(&painter);
    CDCGridCanvas canvas(&dc);
    auto widest = [&](int col) {
        int extent = 0;
        for (int row = 0; row < list.grid.GetRowCount(); ++row)
            extent = std::max(extent, static_cast<int>(list.grid.GetCell(row, col)->GetCellExtent(&canvas).cx));
        return extent;
    };
    auto tallest = [&](int row) {
        int extent = 0;
        for (int col = 0; col < list.grid.GetColumnCount(); ++col)
            extent = std::max(extent, static_cast<int>(list.grid.GetCell(row, col)->GetCellExtent(&canvas).cy));
        return extent;
    };
    auto doubleClick = [&](QPoint at) {
        QTest::mouseClick(list.Client(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list.Client(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(list.Client(), Qt::LeftButton, {}, at);
    };
    list.grid.SetColumnWidth(1, 300);
    doubleClick(QPoint(25 + 300 - 1, 8)); // right of column 1
    EXPECT_EQ(list.grid.GetColumnWidth(1), widest(1));
    ASSERT_NE(widest(1), 300);
    doubleClick(QPoint(12, 18 + 18 + 18 - 1)); // below row 2
    EXPECT_EQ(list.grid.GetRowHeight(2), tallest(2));
    ASSERT_NE(tallest(2), 18);
}

TEST(DataGrid, ScrollingByBarKeysAndWheel) {
    FileListGrid list(40, 660, 200); // 40 rows of 18 under a header: the bar shows
    EXPECT_TRUE(list.grid.IsScrollBarShown(SB_VERT));
    EXPECT_FALSE(list.grid.IsScrollBarShown(SB_HORZ));
    // A notch of the wheel: three lines.
    QWheelEvent wheel(QPointF(100, 100), list.Client()->mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(list.Client(), &wheel);
    QCoreApplication::processEvents();
    EXPECT_EQ(list.grid.GetScrollPos32(SB_VERT), 3 * 18);
    EXPECT_EQ(list.grid.GetTopleftNonFixedCell().row, 4);

    // Page Down at the end moves the focus to the last row.
    list.Click(5, 1);
    for (int i = 0; i < 10; ++i)
        list.Key(Qt::Key_PageDown);
    EXPECT_EQ(list.grid.GetFocusCell().row, 40);
    EXPECT_TRUE(list.grid.IsCellVisible(40, 1));
    list.Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(list.grid.GetScrollPos32(SB_VERT), 0);
    // Down past the bottom scrolls a line.
    for (int i = 0; i < 12; ++i)
        list.Key(Qt::Key_Down);
    EXPECT_TRUE(list.grid.IsCellVisible(list.grid.GetFocusCell().row, 1));
    EXPECT_GT(list.grid.GetScrollPos32(SB_VERT), 0);
}

TEST(DataGrid, HoldingTheButtonBelowTheGridScrollsAndExtendsTheFocus) {
    FileListGrid list(40, 660, 200);
    QTest::mousePress(list.Client(), Qt::LeftButton, {}, list.Centre(2, 1));
    const QPoint below = list.Client()->mapToGlobal(QPoint(100, 260));
    const POINT pinned{below.x(), below.y()};
    PinCursorPos(&pinned);
    // The timer ticks every 25 ms; wait for a dozen rows, however slow the machine.
    QElapsedTimer clock;
    clock.start();
    while (list.grid.GetFocusCell().row <= 12 && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    PinCursorPos(nullptr);
    QTest::mouseRelease(list.Client(), Qt::LeftButton, {}, list.Centre(2, 1));
    EXPECT_GT(list.grid.GetFocusCell().row, 12); // a row every 25 ms, past the bottom edge
    EXPECT_GT(list.grid.GetScrollPos32(SB_VERT), 0);
}

TEST(DataGrid, TabStepsOverHiddenColumnsAndDoubleClicksEdit) {
    FileListGrid list;
    list.grid.SetColumnWidth(2, 0);
    list.Click(1, 1);
    list.Key(Qt::Key_Tab);
    EXPECT_EQ(list.grid.GetFocusCell(), CGridCellRef(1, 3));
    list.owner.notes.clear();
    QTest::mouseDClick(list.Client(), Qt::LeftButton, {}, list.Centre(2, 5));
    QTest::mouseRelease(list.Client(), Qt::LeftButton, {}, list.Centre(2, 5));
    EXPECT_TRUE(list.grid.IsItemEditing(2, 5));
    EXPECT_NE(std::find(list.owner.notes.begin(), list.owner.notes.end(), "DBLCLK 2,5"), list.owner.notes.end());
    list.Key(Qt::Key_Escape);
}

TEST(DataGrid, ScrollingRightGoesByTheFirstVisibleColumn) {
    FileListGrid list(3, 300, 200); // 633 pixels of columns in 300: the horizontal bar shows
    ASSERT_TRUE(list.grid.IsScrollBarShown(SB_HORZ));
    list.grid.SendMessage(WM_HSCROLL, SB_LINERIGHT);
    EXPECT_EQ(list.grid.GetScrollPos32(SB_HORZ), 25); // column 0
    list.grid.SendMessage(WM_HSCROLL, SB_LINERIGHT);
    EXPECT_EQ(list.grid.GetScrollPos32(SB_HORZ), 25 + 144); // column 1
    list.grid.SendMessage(WM_HSCROLL, SB_RIGHT);
    const int end = list.grid.GetScrollPos32(SB_HORZ);
    list.grid.SendMessage(WM_HSCROLL, SB_LINERIGHT); // at the end: nothing moves
    EXPECT_EQ(list.grid.GetScrollPos32(SB_HORZ), end);
    EXPECT_TRUE(list.grid.IsCellVisible(1, 5));
}

// The horizontal bar scrolls the columns as the vertical one scrolls the
// rows: its arrows, its thumb, and the wheel over it; a tilt of the wheel
// over the cells too.
TEST(DataGrid, TheHorizontalBarScrollsTheColumns) {
    FileListGrid list(3, 300, 200); // 633 pixels of columns in 300
    QScrollBar* bar = ScrollBarOf(&list.grid, Qt::Horizontal);
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(bar->isVisible());
    const auto wheel = [&](QWidget* over, QPoint angle) {
        QWheelEvent event(QPointF(5, 5), over->mapToGlobal(QPointF(5, 5)), QPoint(), angle, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(over, &event);
        QCoreApplication::processEvents(); // the wheel posts its scroll messages
    };
    const auto firstColumn = [&] { return list.grid.GetTopleftNonFixedCell().col; };

    QTest::mouseClick(bar, Qt::LeftButton, {}, ScrollBarPart(bar, QStyle::SC_ScrollBarAddLine).center());
    EXPECT_EQ(list.grid.GetScrollPos32(SB_HORZ), 25);
    EXPECT_EQ(firstColumn(), 1);
    const QRect thumb = ScrollBarPart(bar, QStyle::SC_ScrollBarSlider);
    QTest::mousePress(bar, Qt::LeftButton, {}, thumb.center());
    QTest::mouseMove(bar, QPoint(bar->width() - 1, thumb.center().y()));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(bar->width() - 1, thumb.center().y()));
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_TRUE(list.grid.IsCellVisible(1, 5)) << "the last password column is reached";
    const int end = list.grid.GetScrollPos32(SB_HORZ);
    EXPECT_EQ(end, bar->maximum());

    wheel(bar, QPoint(0, 120)); // a turn away from the user over the bar: three columns to the left
    EXPECT_LT(list.grid.GetScrollPos32(SB_HORZ), end);
    EXPECT_EQ(firstColumn(), 0);
    EXPECT_EQ(bar->value(), 0);
    wheel(list.Client(), QPoint(-120, 0)); // a tilt to the right over the cells
    EXPECT_EQ(firstColumn(), 3);
    EXPECT_EQ(bar->value(), list.grid.GetScrollPos32(SB_HORZ));
    EXPECT_EQ(list.grid.GetScrollPos32(SB_VERT), 0);
}

// The pointer over a cell whose text is cut short (a long file name, a
// header too wide for its column) shows the whole text as a tooltip; over a
// text that fits, none.
TEST(DataGrid, TextCutShortShowsWholeInATooltip) {
    FileListGrid list;
    const std::string longName = "a-document-whose-name-is-far-longer-than-its-column.pdf";
    list.grid.SetItemText(2, 1, longName);
    list.grid.SetColumnWidth(4, 40); // "Owner Password" in 40 pixels
    const auto tipOver = [&](int row, int col) {
        QTest::mouseMove(list.Client(), list.Centre(row, col));
        QCoreApplication::processEvents();
        return list.Client()->toolTip().toStdString();
    };
    EXPECT_EQ(tipOver(2, 1), longName);
    EXPECT_EQ(tipOver(1, 1), "") << "doc1.pdf fits";
    EXPECT_EQ(tipOver(0, 4), "Owner Password");
    EXPECT_EQ(tipOver(0, 1), "") << "File Name fits";
    list.grid.SetColumnWidth(1, 600);
    list.grid.Invalidate();
    EXPECT_EQ(tipOver(2, 1), "") << "widened, the name fits";
}

TEST(DataGrid, AWheelSettingOfWholePagesScrollsAPageANotch) {
    SystemSettings settings = ClassicSystemSettings();
    settings.wheelScrollLines = -1;
    PinSystemSettings(settings);
    FileListGrid list(60, 660, 200);
    PinSystemSettings(ClassicSystemSettings());
    QWheelEvent wheel(QPointF(100, 100), list.Client()->mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(0, -240),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(list.Client(), &wheel);
    QCoreApplication::processEvents();
    const int page = list.grid.GetClientRect().Height() - 18;
    EXPECT_EQ(list.grid.GetScrollPos32(SB_VERT), 2 * page);
}
