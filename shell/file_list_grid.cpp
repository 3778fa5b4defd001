#include "shell/file_list_grid.h"
#include "platform/ui/dialog_metrics.h"
#include "shell/program_resources.h"

#include <algorithm>

namespace {

constexpr UINT kLine = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;

void SetTextAndFormat(CDataGrid& grid, int row, int col, const std::string& text, UINT format) {
    GRID_ITEM item;
    item.row = row;
    item.col = col;
    item.mask = GCIF_TEXT | GCIF_FORMAT;
    item.strText = text;
    item.nFormat = format;
    grid.SetItem(&item);
}

// The layout's row height, grown with the dialog font and, with a font
// larger than the reference, at least a line of the row's font inside the
// cell's edge and margins.
int RowHeightHolding(const CDataGrid& grid, int row, const DialogMetrics& metrics) {
    const CGridCellBase* cell = grid.GetCell(row, 1);
    const int line = cell ? grid.MeasureText("Ag", *cell->GetFont()).cy : 0;
    const int rowHeight = grid.GetRowHeight(row);
    const int edges = rowHeight - grid.TextRoom(row, 1).cy;
    return metrics.Height(18, line + std::max(0, edges));
}

} // namespace

void SetUpFileListGrid(CDataGrid& grid) {
    grid.DeleteAllItems();
    grid.SetEditable(true);
    grid.SetRowResize(false);
    grid.SetColumnResize(true);
    grid.SetGridBkColor(RGB(255, 255, 255));
    grid.SetColumnCount(6);
    grid.SetFixedRowCount(1);
    grid.SetGridLines(GRID_LINES_BOTH);
    grid.SetSingleRowSelection(true);
    grid.SetListMode(true);
    grid.SetHeaderSort(false);
    const DialogMetrics metrics = DialogMetrics::OfDialogFont();
    LOGFONT bold;
    bold.lfHeight = metrics.Y(14);
    bold.lfWeight = 700;
    const std::string headers[6] = {"",
                                    ResourceString("grid.file_name"),
                                    ResourceString("grid.file_size"),
                                    ResourceString("grid.creation_date"),
                                    ResourceString("grid.owner_password"),
                                    ResourceString("grid.user_password")};
    // The check boxes' column and the names' as the layout has them, grown
    // with the font, for what their entries hold; the others as wide as
    // their headers, so that every header shows whole at the list's first width.
    const int layoutWidths[2] = {25, 144};
    const int headerMargin = metrics.X(3); // on either side of a header's text
    grid.SetRowHeight(0, 18);
    for (int col = 0; col < 6; ++col) {
        grid.SetItemFont(0, col, &bold);
        SetTextAndFormat(grid, 0, col, headers[col], DT_CENTER | kLine);
        grid.SetColumnWidth(col, 100);
        const int edges = 100 - grid.TextRoom(0, col).cx; // the cell's edge and margins
        const int text = DialogMetrics::TextWidth(CFont(bold).Font(), headers[col]);
        grid.SetColumnWidth(col, col < 2 ? metrics.Width(layoutWidths[col], text + edges)
                                         : text + edges + 2 * headerMargin);
    }
    grid.SetItemState(0, 0, grid.GetItemState(0, 0) | GCS_READONLY);
    grid.SetRowHeight(0, RowHeightHolding(grid, 0, metrics));
    grid.Refresh();
}

void AddFileListEntry(CDataGrid& grid, const std::string& name, const std::string& size, const std::string& date) {
    const int row = grid.GetRowCount();
    grid.SetRowCount(row + 1);
    grid.SetCellType(row, 0, GRID_RUNTIME_CLASS(CGridCellCheck));
    static_cast<CGridCellCheck*>(grid.GetCell(row, 0))->SetCheck(true);
    const std::string texts[6] = {"", name, size, date, "", ""};
    const UINT alignments[6] = {DT_RIGHT, DT_LEFT, DT_RIGHT, DT_RIGHT, DT_LEFT, DT_LEFT};
    for (int col = 0; col < 6; ++col)
        SetTextAndFormat(grid, row, col, texts[col], alignments[col] | kLine);
    for (int col = 0; col < 4; ++col)
        grid.SetItemState(row, col, grid.GetItemState(row, col) | GCS_READONLY);
    grid.SetRowHeight(row, 18);
    grid.SetRowHeight(row, RowHeightHolding(grid, row, DialogMetrics::OfDialogFont()));
}
