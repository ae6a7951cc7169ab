// The grid look shared by the archive list, the member list and the log: no row
// header, 20-pixel rows, the given column widths (which the user can drag), rows in the
// grid font, cells edited by nobody.
#pragma once

#include <initializer_list>

class QTableView;

namespace zb::app {

class GridModel;

QTableView* makeGrid(const char* objectName, GridModel* model, std::initializer_list<int> widths);

}  // namespace zb::app
