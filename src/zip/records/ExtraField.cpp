// Walking the blocks of an extra field.
#include "zip/records/ExtraField.h"

#include <algorithm>

#include "zip/records/ZipBytes.h"

namespace zb::zip {

namespace {

// Calls `visit(id, begin, end)` for each block; `end` is clipped to the field.
template <typename Visit>
void forEachBlock(std::string_view extra, Visit visit) {
    std::size_t at = 0;
    while (at + 4 <= extra.size()) {
        const std::uint16_t id = getU16(extra.data() + at);
        const std::size_t declaredEnd = at + 4 + getU16(extra.data() + at + 2);
        const std::size_t end = std::min(extra.size(), declaredEnd);
        if (!visit(id, at, end, declaredEnd <= extra.size())) return;
        at = end;
    }
}

}  // namespace

std::string_view findExtraBlock(std::string_view extra, std::uint16_t id) {
    std::string_view found;
    forEachBlock(extra, [&](std::uint16_t blockId, std::size_t at, std::size_t end, bool whole) {
        if (!whole) return false;
        if (blockId != id) return true;
        found = extra.substr(at + 4, end - at - 4);
        return false;
    });
    return found;
}

bool hasExtraBlock(std::string_view extra, std::uint16_t id) {
    bool found = false;
    forEachBlock(extra, [&](std::uint16_t blockId, std::size_t, std::size_t, bool) {
        found = blockId == id;
        return !found;
    });
    return found;
}

std::string extraWithout(std::string_view extra, std::uint16_t id) {
    std::string kept;
    forEachBlock(extra, [&](std::uint16_t blockId, std::size_t at, std::size_t end, bool) {
        if (blockId != id) kept.append(extra.substr(at, end - at));
        return true;
    });
    return kept;
}

void appendExtraBlock(std::string& out, std::uint16_t id, std::string_view data) {
    appendU16(out, id);
    appendU16(out, std::uint16_t(data.size()));
    out.append(data);
}

}  // namespace zb::zip
