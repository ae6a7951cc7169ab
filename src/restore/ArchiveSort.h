// Sorting the archive list by one of its columns. The name and size columns are
// compared as text, byte by byte and with case ("A.zip" before "b.zip", and the size
// "100" before "20", as the list has always sorted); the date column by the time the
// text stands for. A descending sort also exchanges rows with equal keys, so equal rows
// do not keep their order.
#pragma once

#include "restore/ArchiveRow.h"

namespace zb::restore {

void SortArchiveList(ArchiveRows& rows, SortColumn column, bool descending);

}  // namespace zb::restore
