#include "controls/grid/grid_dump.h"

#include <sstream>

std::string StateNames(UINT state) {
    static const std::pair<UINT, const char*> names[] = {
        {GCS_FOCUSED, "FOCUSED"},   {GCS_SELECTED, "SELECTED"}, {GCS_DROPHILITED, "DROPHILITED"},
        {GCS_READONLY, "READONLY"}, {GCS_FIXED, "FIXED"},       {GCS_FIXEDROW, "FIXEDROW"},
        {GCS_FIXEDCOL, "FIXEDCOL"}, {GCS_MODIFIED, "MODIFIED"},
    };
    std::string text;
    for (const auto& name : names)
        if (state & name.first)
            text += (text.empty() ? "" : "|") + std::string(name.second);
    return text.empty() ? "-" : text;
}

std::string DumpGrid(const CGridModel& grid) {
    std::ostringstream out;
    const CGridCellRef focus = grid.GetFocusCell();
    out << "grid " << grid.GetRowCount() << "x" << grid.GetColumnCount() << " fixed " << grid.GetFixedRowCount()
        << "x" << grid.GetFixedColumnCount() << " focus (" << focus.row << "," << focus.col << ") selected "
        << grid.GetSelectedCount() << (grid.GetModified() ? " modified" : "") << "\n";
    out << "widths";
    for (int col = 0; col < grid.GetColumnCount(); ++col)
        out << " " << grid.GetColumnWidth(col);
    out << "\n";
    for (int row = 0; row < grid.GetRowCount(); ++row) {
        out << "row " << row << " h" << grid.GetRowHeight(row) << ":";
        for (int col = 0; col < grid.GetColumnCount(); ++col) {
            const CGridCellBase* cell = grid.GetCell(row, col);
            out << (col ? " | " : " ");
            if (!cell) {
                out << "(none)";
                continue;
            }
            if (const auto* check = dynamic_cast<const CGridCellCheck*>(cell))
                out << (check->GetCheck() ? "[x] " : "[ ] ");
            out << '"' << cell->GetText() << "\" " << StateNames(cell->GetState());
        }
        out << "\n";
    }
    return out.str();
}
