#pragma once
// A readable text picture of a grid's model: sizes, focus, selection and
// every cell with its text, check box and state flags. Tests assert over it.
#include "controls/grid/grid_model.h"

#include <string>

// The state bits as flag names joined by "|" ("-" for none).
std::string StateNames(UINT state);

// One line of counts, focus and selection, one of widths, then a line a row:
//   grid 2x3 fixed 1x0 focus (1,1) selected 3 modified
//   widths 25 144 100
//   row 0 h18: "" FIXED|FIXEDROW | "Name" FIXED|FIXEDROW | ...
//   row 1 h18: [x] "" READONLY | "a.pdf" FOCUSED|SELECTED | ...
std::string DumpGrid(const CGridModel& grid);
