// The grid's model and geometry, without a window.
#include "controls/grid/grid_dump.h"
#include "controls/grid/grid_model.h"

#include <gtest/gtest.h>
#include <random>

namespace {

// Measures text at 7 pixels a character and 16 pixels a line.
class MeasuredGrid : public CGridModel {
public:
    using CGridModel::CGridModel;
    SIZE MeasureText(const std::string& text, const LOGFONT&) const override {
        return SIZE{7 * static_cast<int>(text.size()), 16};
    }
};

// The file list's grid: six columns, one header row of 18 pixels.
void MakeFileList(CGridModel& grid, int entries) {
    grid.SetColumnCount(6);
    grid.SetFixedRowCount(1);
    grid.SetListMode(true);
    grid.SetSingleRowSelection(true);
    const int widths[6] = {25, 144, 100, 154, 110, 100};
    for (int col = 0; col < 6; ++col)
        grid.SetColumnWidth(col, widths[col]);
    grid.SetRowHeight(0, 18);
    for (int i = 0; i < entries; ++i) {
        const int row = grid.GetRowCount();
        grid.SetRowCount(row + 1);
        grid.SetCellType(row, 0, GRID_RUNTIME_CLASS(CGridCellCheck));
        static_cast<CGridCellCheck*>(grid.GetCell(row, 0))->SetCheck(true);
        grid.SetItemText(row, 1, "doc" + std::to_string(row) + ".pdf");
        for (int col = 0; col < 4; ++col)
            grid.SetItemState(row, col, grid.GetItemState(row, col) | GCS_READONLY);
        grid.SetRowHeight(row, 18);
    }
    grid.SetModified(false);
}

} // namespace

TEST(GridModel, AFileListGridFromNothing) {
    CGridModel grid(0, 0, 0, 0);
    grid.SetColumnCount(6);
    grid.SetFixedRowCount(1);
    EXPECT_EQ(grid.GetRowCount(), 1);
    for (int col = 0; col < 6; ++col) {
        EXPECT_EQ(grid.GetItemState(0, col), GCS_FIXED | GCS_FIXEDROW);
        EXPECT_EQ(grid.GetCell(0, col)->GetDefaultCell(), grid.GetDefaultCell(true, false));
    }
    grid.SetRowCount(2);
    for (int col = 0; col < 6; ++col) {
        EXPECT_EQ(grid.GetItemState(1, col), 0u);
        EXPECT_EQ(grid.GetCell(1, col)->GetFormat(), 0x8824u);
        EXPECT_EQ(grid.GetItemText(1, col), ""); // never set: empty, not null
    }
    EXPECT_TRUE(grid.GetModified());

    CGridModel small(1, 2, 0, 0);
    small.SetFixedRowCount(3); // grows to three rows first
    EXPECT_EQ(small.GetRowCount(), 3);
    EXPECT_EQ(small.GetFixedRowCount(), 3);
    small.SetRowCount(0);
    EXPECT_EQ(small.GetFixedRowCount(), 0);
    EXPECT_EQ(small.GetCell(0, 0), nullptr);
}

TEST(GridModel, DefaultCellsSizeThemselvesByTheirFont) {
    MeasuredGrid grid;
    LOGFONT font;
    font.lfHeight = -12;
    grid.SetDefaultFont(font);
    const auto* normal = static_cast<CGridDefaultCell*>(grid.GetDefaultCell(false, false));
    EXPECT_EQ(normal->GetMargin(), 7u);              // one space
    EXPECT_EQ(normal->GetWidth(), 14 * 7);           // " XXXXXXXXXXXX "
    EXPECT_EQ(normal->GetHeight(), 16 * 3 / 2);      // one and a half lines
    EXPECT_EQ(normal->GetState(), GCS_READONLY);     // whatever is stored
    const_cast<CGridDefaultCell*>(normal)->SetState(GCS_SELECTED);
    EXPECT_EQ(normal->GetState(), GCS_READONLY);
    grid.SetRowCount(1);
    grid.SetColumnCount(1);
    EXPECT_EQ(grid.GetRowHeight(0), 24);

    CGridModel unmeasured; // nothing measures: fixed sizes
    const auto* plain = static_cast<CGridDefaultCell*>(unmeasured.GetDefaultCell(false, false));
    EXPECT_EQ(plain->GetMargin(), 3u);
    EXPECT_EQ(plain->GetWidth(), 40);
    EXPECT_EQ(plain->GetHeight(), 16);
}

TEST(GridModel, StateSelectionMapAndModification) {
    CGridModel grid(3, 3, 1, 0);
    grid.SetItemState(1, 1, GCS_SELECTED);
    EXPECT_EQ(grid.GetSelectedCount(), 1);
    grid.SetItemState(1, 1, 0);
    EXPECT_EQ(grid.GetSelectedCount(), 0);

    grid.SetItemState(2, 2, GCS_SELECTED);
    grid.SetItemText(2, 2, "kept");
    ASSERT_TRUE(grid.SetCellType(2, 2, GRID_RUNTIME_CLASS(CGridCellCheck)));
    EXPECT_TRUE(grid.IsCellSelected(2, 2)); // still selected, still in the map
    EXPECT_EQ(grid.GetItemText(2, 2), "kept");
    EXPECT_EQ(grid.GetSelectedCount(), 1);
    static const CGridRuntimeClass foreign{"NotACell", nullptr, nullptr};
    EXPECT_FALSE(grid.SetCellType(2, 2, &foreign));

    grid.SetModified(false);
    GRID_ITEM item;
    item.row = 1;
    item.col = 0;
    item.mask = GCIF_TEXT | GCIF_STATE;
    item.strText = "x";
    item.state = GCS_READONLY; // replaces the modified mark SetItem gave first
    grid.SetItem(&item);
    EXPECT_EQ(grid.GetItemState(1, 0), GCS_READONLY);
    EXPECT_TRUE(grid.GetModified());
    grid.SetItemText(1, 1, "y");
    EXPECT_TRUE(grid.GetItemState(1, 1) & GCS_MODIFIED);
    grid.SetModified(false);
    EXPECT_FALSE(grid.GetItemState(1, 1) & GCS_MODIFIED);

    EXPECT_TRUE(grid.SetColumnWidth(1, 0)); // hidden
    EXPECT_FALSE(grid.SetColumnWidth(1, -1));
    EXPECT_EQ(grid.GetColumnWidth(1), 0);
    EXPECT_EQ(grid.GetColumnWidth(7), -1);
    EXPECT_EQ(grid.GetItemText(9, 9), "");
}

TEST(GridModel, DeletingTheFocusRowLeavesNoFocusNorSelection) {
    CGridModel grid;
    MakeFileList(grid, 3);
    grid.SetFocusCell(2, 1);
    grid.SetSelectionStart(CGridCellRef(2, 1));
    grid.SelectRows(CGridCellRef(2, 1));
    EXPECT_EQ(grid.GetSelectedCount(), 6);
    ASSERT_TRUE(grid.DeleteRow(2));
    EXPECT_EQ(grid.GetFocusCell(), CGridCellRef());
    EXPECT_EQ(grid.GetSelectedCount(), 0);
    EXPECT_TRUE(grid.GetModified());
    EXPECT_EQ(grid.GetItemText(2, 1), "doc3.pdf");
    const CGridCellRange none = grid.GetSelectedCellRange();
    EXPECT_EQ(none, CGridCellRange(3, 6, -1, -1));
    EXPECT_FALSE(grid.IsValid(none));
}

TEST(GridModel, SelectionByRowsInListMode) {
    CGridModel grid;
    MakeFileList(grid, 4);
    grid.SetSelectionStart(CGridCellRef(1, 2));
    grid.SelectRows(CGridCellRef(3, 2)); // single-row selection: only the row of the cell
    EXPECT_EQ(grid.GetSelectedCellRange(), CGridCellRange(3, 0, 3, 5));
    grid.SelectRows(CGridCellRef(3, 2), true, false); // deselecting the row
    EXPECT_EQ(grid.GetSelectedCount(), 0);

    grid.SetSingleRowSelection(false);
    grid.SelectRows(CGridCellRef(3, 2));
    EXPECT_EQ(grid.GetSelectedCellRange(), CGridCellRange(1, 0, 3, 5));
    grid.SelectAllCells();
    EXPECT_EQ(grid.GetSelectedCount(), 4 * 6);
    grid.ResetSelectedRange();
    EXPECT_EQ(grid.GetSelectedCount(), 0);
}

TEST(GridModel, GeometryOfTheFileList) {
    CGridModel grid;
    MakeFileList(grid, 30);
    grid.SetClientSize(633, 200);
    RECT header;
    ASSERT_TRUE(grid.GetCellRect(0, 1, &header));
    EXPECT_EQ(header, (RECT{25, 0, 168, 17}));
    POINT first;
    ASSERT_TRUE(grid.GetCellOrigin(1, 0, &first));
    EXPECT_EQ(first.y, 18);

    struct Hit {
        POINT point;
        CGridCellRef cell;
        bool columnDivider;
    } hits[] = {
        {{24, 5}, {0, 0}, true},  // within 3 pixels of column 0's right edge
        {{27, 5}, {0, 1}, true},  // the same divider, as column 1's left edge
        {{28, 5}, {0, 1}, false}, // 3 pixels in: past the divider
        {{0, 5}, {0, 0}, false},  // column 0 has no left divider
        {{100, 30}, {1, 1}, false}, // rows carry no column dividers
        {{632, 19}, {1, 5}, false},
        {{-1, 5}, {0, -1}, false},
        {{700, 5}, {0, -1}, false},
    };
    for (const Hit& hit : hits) {
        EXPECT_EQ(grid.GetCellFromPt(hit.point), hit.cell) << hit.point.x << "," << hit.point.y;
        EXPECT_EQ(grid.MouseOverColumnResizeArea(hit.point), hit.columnDivider) << hit.point.x;
    }

    // Visible: rows from the top to the one the client edge cuts.
    RECT area;
    const CGridCellRange visible = grid.GetVisibleNonFixedCellRange(&area);
    EXPECT_EQ(visible, CGridCellRange(1, 0, 11, 5)); // 18 + 10 * 18 = 198, row 11 ends at 216
    EXPECT_EQ(area, (RECT{0, 0, 633, 200}));
    EXPECT_TRUE(grid.IsCellVisible(11, 5)); // cut off at the bottom, still visible
    EXPECT_FALSE(grid.IsCellVisible(12, 5));

    grid.SetScrollPos32(SB_VERT, 36); // two rows scrolled out
    EXPECT_EQ(grid.GetTopleftNonFixedCell(), CGridCellRef(3, 0));
    EXPECT_FALSE(grid.IsCellVisible(2, 1));
    EXPECT_EQ(grid.GetCellFromPt(POINT{30, 18}), CGridCellRef(3, 1));
    EXPECT_FALSE(grid.GetCellOrigin(2, 1, &first));
}

TEST(GridModel, ScrollLayoutShowsTheBarsThatAreNeeded) {
    CGridModel grid;
    MakeFileList(grid, 30); // 30 rows of 18 under a header of 18, 633 wide
    struct Case {
        int width, height;
        bool vertical, horizontal, empty;
    } cases[] = {
        {700, 600, false, false, false},
        {700, 300, true, false, false},
        {600, 600, false, true, false},
        {600, 300, true, true, false},
        {20, 18, false, false, true}, // no larger than the fixed band
    };
    for (const Case& c : cases) {
        const auto layout = grid.ComputeScrollLayout(c.width, c.height, false, false, 16, 16, 1);
        EXPECT_EQ(layout.empty, c.empty) << c.width << "x" << c.height;
        EXPECT_EQ(layout.show[SB_VERT], c.vertical) << c.width << "x" << c.height;
        EXPECT_EQ(layout.show[SB_HORZ], c.horizontal) << c.width << "x" << c.height;
    }
    const auto layout = grid.ComputeScrollLayout(700, 300, false, false, 16, 16, 1);
    EXPECT_EQ(layout.maximum[SB_VERT], 30 * 18 - 1);
    EXPECT_EQ(layout.page[SB_VERT], 300 - 18);
}

TEST(GridModel, RunningSumsMatchAWalkOverEverySize) {
    // Random sizes with hidden rows: every lookup agrees with the plain loops.
    std::mt19937 random(7);
    CGridModel grid(300, 4, 2, 1);
    for (int row = 0; row < 300; ++row)
        grid.SetRowHeight(row, static_cast<int>(random() % 4 == 0 ? 0 : 5 + random() % 30));
    grid.SetClientSize(200, 400);
    for (int scroll : {0, 1, 17, 500, 2000, 4000, 99999}) {
        grid.SetScrollPos32(SB_VERT, scroll);
        int row = grid.GetFixedRowCount(), sum = 0;
        while (sum < scroll && row < grid.GetRowCount() - 1)
            sum += grid.GetRowHeight(row++);
        ASSERT_EQ(grid.GetTopleftNonFixedCell().row, row) << scroll;
        const int top = grid.GetTopleftNonFixedCell().row;
        for (int y : {0, 3, 40, 41, 250, 399}) {
            int edge = 0, found = -1;
            for (int r = 0; r < grid.GetFixedRowCount() && found < 0; ++r)
                if ((edge += grid.GetRowHeight(r)) > y)
                    found = r;
            if (found < 0 && y < grid.GetFixedRowHeight())
                found = grid.GetFixedRowCount();
            for (int r = top; found < 0 && r < grid.GetRowCount(); ++r)
                if ((edge += grid.GetRowHeight(r)) > y)
                    found = r;
            EXPECT_EQ(grid.GetCellFromPt(POINT{10, y}).row, found) << scroll << " " << y;
        }
        int bottom = grid.GetFixedRowHeight(), last = top;
        for (int r = top; r < grid.GetRowCount(); ++r) {
            last = r;
            bottom += grid.GetRowHeight(r);
            if (bottom >= 400)
                break;
        }
        EXPECT_EQ(grid.GetVisibleNonFixedCellRange().maxRow, std::min(last, grid.GetRowCount() - 1)) << scroll;
    }
}

TEST(GridModel, TextDump) {
    CGridModel grid;
    MakeFileList(grid, 1);
    grid.SetItemText(0, 1, "File Name");
    grid.SetFocusCell(1, 1);
    grid.SetModified(false);
    const std::string dump = DumpGrid(grid);
    EXPECT_NE(dump.find("grid 2x6 fixed 1x0 focus (1,1) selected 0\n"), std::string::npos) << dump;
    EXPECT_NE(dump.find("widths 25 144 100 154 110 100\n"), std::string::npos) << dump;
    EXPECT_NE(dump.find("row 0 h18: \"\" FIXED|FIXEDROW | \"File Name\" FIXED|FIXEDROW"), std::string::npos)
        << dump;
    EXPECT_NE(dump.find("row 1 h18: [x] \"\" READONLY | \"doc1.pdf\" FOCUSED|READONLY |"), std::string::npos)
        << dump;
}

TEST(GridModel, LargeGridsKeepEveryCellsSelectionApart) {
    // Rows 65,536 apart once shared a key of the selected-cell map.
    CGridModel grid(70001, 2, 1, 0);
    grid.SetItemState(70000, 1, GCS_SELECTED);
    grid.SetItemState(70000 - 65536, 1, GCS_SELECTED);
    EXPECT_EQ(grid.GetSelectedCount(), 2);
    grid.SetItemState(70000 - 65536, 1, 0);
    EXPECT_EQ(grid.GetSelectedCount(), 1);
    EXPECT_EQ(grid.GetSelectedCellRange(), CGridCellRange(70000, 1, 70000, 1));
}

TEST(GridModel, RemovedRowsLeaveNoSelectionBehind) {
    CGridModel grid;
    MakeFileList(grid, 6);
    grid.SetSelectionStart(CGridCellRef(6, 1));
    grid.SelectRows(CGridCellRef(6, 1));
    grid.SetRowCount(4); // the selected row is gone
    EXPECT_EQ(grid.GetSelectedCount(), 0);
    EXPECT_EQ(grid.GetSelectionStart(), CGridCellRef());
    // A range from a start that no longer exists would select nothing at all.
    grid.SetSelectionStart(CGridCellRef(3, 1));
    grid.DeleteRow(2);
    EXPECT_EQ(grid.GetSelectionStart(), CGridCellRef());
}
