// Sorting the archive list. See ArchiveSort.h.
#include "restore/ArchiveSort.h"

#include <utility>

#include "platform/DateFormat.h"

namespace zb::restore {
namespace {

bool greater(const ArchiveRow& a, const ArchiveRow& b, SortColumn column) {
    switch (column) {
        case SortColumn::Name: return a.Filename > b.Filename;
        case SortColumn::Size: return a.SizeKb > b.SizeKb;
        case SortColumn::Date: break;
    }
    // A text that no longer reads as a time sorts as the earliest.
    const double da = platform::strToDateTime(a.Date).value_or(0);
    const double db = platform::strToDateTime(b.Date).value_or(0);
    return da > db;
}

}  // namespace

void SortArchiveList(ArchiveRows& rows, SortColumn column, bool descending) {
    if (rows.empty() || rows.front().Filename.empty()) return;
    // The exchange sort the list has always used; its treatment of equal keys in the
    // descending direction is part of what the user sees.
    for (std::size_t j = rows.size(); j-- > 1;) {
        for (std::size_t i = 0; i < j; ++i) {
            const bool isGreater = greater(rows[i], rows[j], column);
            if (descending ? !isGreater : isGreater) std::swap(rows[i], rows[j]);
        }
    }
}

}  // namespace zb::restore
