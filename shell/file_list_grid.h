#pragma once
// A grid laid out as the file list lays out its job list: a bold header row
// and six columns (a check box, name, size, date and two editable
// passwords), entries 18 pixels high.
#include "controls/grid/data_grid.h"

#include <string>

// The first of the two password columns.
constexpr int kOwnerPasswordColumn = 4;

void SetUpFileListGrid(CDataGrid& grid);
// Appends an entry: a checked box, the texts of columns 1 to 3, empty passwords.
void AddFileListEntry(CDataGrid& grid, const std::string& name, const std::string& size, const std::string& date);
