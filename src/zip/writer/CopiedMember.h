// Members that the update pass carries over from the old archive unchanged. Their
// records come from whatever tool wrote them, so they are taken as raw bytes: the
// central header keeps every field, its name bytes, its comment and its extra blocks,
// and only the position (and with it the ZIP64 field, when the new position needs one)
// changes; the local header, the data and a trailing data descriptor are copied byte
// for byte. A member copied this way reads back exactly as it did before.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "zip/records/LocalHeader.h"
#include "zip/records/WriterRecords.h"

namespace zb::zip {

// Parses one central header (`record` holds at least its whole length) into a writer
// member; nullopt when the bytes are no central header. `recordSize` receives the
// header's full length.
std::optional<WriterMember> parseCentralHeader(std::string_view record, std::size_t* recordSize = nullptr);

// How many bytes a member occupies from its local header on: `local` is its local
// header, `afterData` the bytes that follow its data (at most 24, fewer at the end of
// the file) in which a data descriptor may stand.
std::uint64_t copiedMemberLength(const WriterMember& central, const LocalHeader& local, const std::string& afterData);

// Size of the data descriptor (0 when none) that follows a member's data.
std::size_t dataDescriptorLength(const WriterMember& central, bool zip64Local, const std::string& afterData);

}  // namespace zb::zip
